#include "MSComm.h"

#include "PortMap.h"
#include "SystemSerialDevice.h"
#include "runtime/RuntimeError.h"

MSComm::MSComm(std::unique_ptr<SerialDevice> device, QObject* parent)
    : QObject(parent), m_device(device ? std::move(device) : std::make_unique<SystemSerialDevice>())
{
    connect(m_device.get(), &SerialDevice::readyRead, this, &MSComm::raiseReceiveIfWaiting);
    connect(m_device.get(), &SerialDevice::lineEvent, this, &MSComm::raise);
    connect(m_device.get(), &SerialDevice::losing, this, &MSComm::DeviceLosing);
    connect(m_device.get(), &SerialDevice::lost, this, &MSComm::DeviceLost);
}

MSComm::~MSComm()
{
    try {
        m_device->close();
    } catch (const RuntimeError&) {
    }
}

void MSComm::setCommPort(int port)
{
    if (port < 1 || port > 16)
        throw RuntimeError(Err::InvalidArgument);
    if (PortOpen())
        throw RuntimeError(Err::PortBusy);
    m_commPort = port;
}

void MSComm::setSettings(const QString& text)
{
    const PortSettings settings = parseSettings(text);
    if (PortOpen())
        m_device->apply(settings);
    m_settings = settings;
}

void MSComm::setPortOpen(bool open)
{
    if (!open) {
        if (PortOpen()) {
            releaseReads(); // what arrived before the close is taken, as ever
            m_device->close();
        }
        return;
    }
    if (PortOpen())
        throw RuntimeError(Err::PortBusy);
    m_device->open(portDevicePath(m_commPort), m_settings);
}

int MSComm::InBufferCount()
{
    if (!PortOpen())
        throw RuntimeError(Err::PortNotOpen);
    return int(qMin(m_device->bytesAvailable(), kMostWaitingBytes));
}

void MSComm::setInputLen(int length)
{
    if (length < 0)
        throw RuntimeError(Err::InvalidArgument);
    m_inputLen = length;
}

QByteArray MSComm::Input()
{
    if (!PortOpen())
        throw RuntimeError(Err::PortNotOpen);
    const qint64 waiting = m_device->bytesAvailable();
    const qint64 take = m_inputLen == 0 ? waiting : qMin<qint64>(m_inputLen, waiting);
    m_taken += take;
    return take > 0 ? m_device->read(take) : QByteArray();
}

void MSComm::Output(const QByteArray& bytes)
{
    if (!PortOpen())
        throw RuntimeError(Err::PortNotOpen);
    m_device->write(bytes);
}

void MSComm::holdReads(int ms)
{
    if (PortOpen())
        m_device->holdReads(ms);
}

void MSComm::releaseReads()
{
    if (PortOpen())
        m_device->releaseReads();
}

void MSComm::raiseReceiveIfWaiting()
{
    if (!receiveWaiting())
        return;
    const qint64 taken = m_taken;
    emit OnComm();
    // An event takes at most kMostWaitingBytes: the rest is taken by the next, as soon as the
    // event loop runs, unless this one took nothing (the allowance held it back).
    if (m_taken > taken && PortOpen() && m_device->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &MSComm::raiseReceiveIfWaiting, Qt::QueuedConnection);
}

bool MSComm::receiveWaiting()
{
    if (!PortOpen() || m_device->readsHeld() || m_device->bytesAvailable() <= 0)
        return false;
    m_commEvent = CommEv::Receive;
    return true;
}

void MSComm::raise(int code)
{
    m_commEvent = code;
    emit OnComm();
}
