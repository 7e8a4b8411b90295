#pragma once
// Shared helpers of the test programs.

#include <QByteArray>
#include <QString>

namespace vvtest {

// Points HOME, XDG_*, temp and TMPDIR at folders below root, so no test
// reads or writes the real home, trash or configuration.
void IsolateEnvironment(const QString &root);

// The file's bytes; empty when it cannot be read.
QByteArray ReadAll(const QString &path);

// Writes bytes, creating missing folders; a failure fails the running test.
void WriteAll(const QString &path, const QByteArray &bytes);

// An executable shell script that does nothing, standing in for a program.
void MakeProgram(const QString &path);

} // namespace vvtest
