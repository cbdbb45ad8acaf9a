#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // Without a display Qt would print a stack of platform-plugin warnings and abort; say it once.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || *platform == '\0') && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "quorvane: no display is available (DISPLAY is not set)\n");
        return 1;
    }
    QGuiApplication app(argc, argv);
    std::printf("quorvane: the timer engine is built; there is no window yet\n");
    return 0;
}
