// Saves a picture of an X window (or of the whole screen) as PNG, as a person's screenshot tool
// would: screen-grab OUTPUT.png [WINDOW-ID]

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Aufruf: screen-grab AUSGABE.png [FENSTER-ID]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 1;
    const WId window =
        argc == 3 ? static_cast<WId>(QByteArray(argv[2]).toULongLong(nullptr, 0)) : 0;
    return screen->grabWindow(window).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
