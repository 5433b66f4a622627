// A second instance of the program's own port and capture code in a process of its own: holds
// what it is told as the program does, says "held", and lets go when its input closes.
//     brenix-hold port N       (N through BRENIX_PORT_DIR, as the program maps it)
//     brenix-hold capture PATH

#include "capture/CaptureToggle.h"
#include "port/MSComm.h"
#include "runtime/RuntimeError.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const std::string what = argv[1];
    MSComm port;
    CaptureToggle capture;
    try {
        if (what == "port") {
            port.setCommPort(qint16(std::stoi(argv[2])));
            port.setPortOpen(true);
        } else {
            capture.switchOn(QString::fromLocal8Bit(argv[2]));
        }
    } catch (const RuntimeError& e) {
        std::printf("refused %d\n", e.number);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
