// Ends the program through its event loop when it is asked to stop by a
// signal (SIGTERM at logout or from kill, SIGINT from the terminal, SIGHUP
// when the terminal goes), so that everything is torn down the normal way:
// temporary folders are removed and settings written.
//
// The signal handler only writes the signal's number into a pipe; a socket
// notifier reads it in the event loop and emits Received there. Nothing else
// runs inside the handler.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace orlen {

class CSignalQuit : public QObject {
    Q_OBJECT
public:
    // Takes over SIGTERM, SIGINT and SIGHUP. Only one may live at a time.
    explicit CSignalQuit(QObject* parent = nullptr);
    // Gives the signals back to what handled them before.
    ~CSignalQuit() override;
    CSignalQuit(const CSignalQuit&) = delete;
    CSignalQuit& operator=(const CSignalQuit&) = delete;

    // Whether the handlers are in place.
    bool Installed() const { return installed_; }
    // The exit status of a program ended by a signal, as a shell reports it.
    static int ExitStatus(int signal) { return 128 + signal; }

Q_SIGNALS:
    // A signal arrived; emitted in the event loop.
    void Received(int signal);

private:
    void ReadSignals();

    bool installed_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orlen
