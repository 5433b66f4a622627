#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// Another process that holds a port or a capture file until it is destroyed: a second instance
// of the program's own code ("brenix-hold port N" or "capture PATH", which says "held"), or
// another serial program; `held` once it has said `ready`.
class Holder {
public:
    Holder(const QString& program, const QStringList& args, const QByteArray& ready);
    explicit Holder(const QStringList& args) : Holder(QStringLiteral(BRENIX_HOLD), args, "held") {}
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    bool held = false;

private:
    QProcess m_process;
};
