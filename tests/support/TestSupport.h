#pragma once
// Shared helpers of the test programs.

#include <QString>

namespace vvtest {

// Points HOME, XDG_*, temp and TMPDIR at folders below root, so no test
// reads or writes the real home, trash or configuration.
void IsolateEnvironment(const QString &root);

} // namespace vvtest
