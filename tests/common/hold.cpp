// A second instance of the program's own port and capture code in a process of its own: holds
// what it is told as the program does, says "held", and lets go when its input closes; refused,
// it ends with the runtime's error number.
//     brenix-hold port N       (N through BRENIX_PORT_DIR, as the program maps it)
//     brenix-hold capture PATH

#include "capture/CaptureToggle.h"
#include "port/MSComm.h"
#include "runtime/RuntimeError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    MSComm port;
    CaptureToggle capture;
    try {
        if (qstrcmp(argv[1], "port") == 0) {
            port.setCommPort(qint16(QByteArray(argv[2]).toInt()));
            port.setPortOpen(true);
        } else {
            capture.switchOn(QString::fromLocal8Bit(argv[2]));
        }
    } catch (const RuntimeError& e) {
        return e.number;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
