#include "FakeSerialDevice.h"

#include "runtime/RuntimeError.h"

void FakeSerialDevice::inject(const QByteArray& bytes)
{
    if (!m_open)
        return;
    m_buffer += bytes;
    emit readyRead();
}

void FakeSerialDevice::injectEvent(int code)
{
    if (m_open)
        emit lineEvent(code);
}

void FakeSerialDevice::open(const QString& path, const PortSettings& s)
{
    if (m_open)
        throw RuntimeError(Err::PortBusy);
    if (!present.isEmpty() && !present.contains(path))
        throw RuntimeError(Err::NoSuchPort);
    if (busy.contains(path))
        throw RuntimeError(Err::PortBusy);
    apply(s);
    m_open = true;
}

void FakeSerialDevice::close()
{
    if (failCloseWith)
        throw RuntimeError(failCloseWith);
    m_open = false;
    m_buffer.clear();
}

void FakeSerialDevice::apply(const PortSettings&)
{
    if (failApplyWith)
        throw RuntimeError(failApplyWith);
}

QByteArray FakeSerialDevice::read(qint64 maxBytes)
{
    if (failReadWith)
        throw RuntimeError(failReadWith);
    const QByteArray out = m_buffer.left(maxBytes);
    m_buffer.remove(0, out.size());
    return out;
}

void FakeSerialDevice::write(const QByteArray& bytes)
{
    if (!m_open)
        throw RuntimeError(Err::PortNotOpen);
    written += bytes;
    if (onWrite)
        onWrite(bytes);
}
