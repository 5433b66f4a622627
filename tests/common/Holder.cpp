#include "Holder.h"

Holder::Holder(const QString& program, const QStringList& args, const QByteArray& ready)
{
    m_process.start(program, args);
    QByteArray said;
    while (!held && m_process.waitForReadyRead(10000)) {
        said += m_process.readAll();
        held = said.contains(ready);
    }
}

Holder::~Holder()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}
