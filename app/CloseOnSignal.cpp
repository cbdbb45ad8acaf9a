#include "CloseOnSignal.hpp"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the UI thread reads the byte and does the rest.
void OnSignal(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

void CatchCloseSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void DeliverCloseSignals(std::function<void()> onSignal) {
    if (g_signalPipe[0] < 0)
        return;
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [request = std::move(onSignal)] {
                         char bytes[16];
                         while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
                         }
                         request();
                     });
}

void CloseModalDialogs() {
    // Bounded: a dialog that refuses to close must not hold the program in this loop.
    for (int attempt = 0; attempt < 16; ++attempt) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}
