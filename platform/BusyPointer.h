#pragma once
// The busy pointer and the short yield that long window commands use.

#include <QApplication>
#include <QCoreApplication>

namespace vv {

// Lets pending window events run, as the commands do between their steps.
inline void Yield() { QCoreApplication::processEvents(); }

// The busy pointer over the whole application for the life of a command.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyPointer() { restore(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
    void restore()
    {
        if (m_active) {
            QApplication::restoreOverrideCursor();
            m_active = false;
        }
    }

private:
    bool m_active = true;
};

} // namespace vv
