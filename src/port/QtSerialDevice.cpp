#include "QtSerialDevice.h"

#include "SerialError.h"

#include <QFileInfo>

#include <utility>

QtSerialDevice::QtSerialDevice(QObject* parent) : SerialDevice(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialDevice::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialDevice::onError);
    m_holdEnd.setSingleShot(true);
    m_holdEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_holdEnd, &QTimer::timeout, this, &QtSerialDevice::releaseReads);
}

void QtSerialDevice::open(const QString& path, const PortSettings& settings)
{
    if (m_port.isOpen())
        throw RuntimeError(Err::PortBusy);
    // Open the real device behind a link, so that its lock file is the one other programs see.
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        throw serialError(SerialOp::Open, QSerialPort::DeviceNotFoundError,
                          QStringLiteral("No such file or directory"));
    m_port.setPortName(device);
    m_port.setReadBufferSize(kReadBufferBytes);
    if (!m_port.open(QIODevice::ReadWrite)) {
        // Qt reports a port held by another program and one the user may not open alike.
        const RuntimeError error = serialError(SerialOp::Open, m_port.error(),
                                               m_port.errorString(), accessDenied(device));
        m_port.clearError();
        throw error;
    }
    try {
        apply(settings);
    } catch (const RuntimeError&) {
        m_port.close();
        throw;
    }
    // What arrived while the port was closed is not this session's data.
    m_port.clear(QSerialPort::Input);
    m_pulled.clear();
}

void QtSerialDevice::close()
{
    m_holdEnd.stop();
    m_held = nullptr; // closing removes it
    m_pulled.clear();
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialDevice::apply(const PortSettings& s)
{
    static const QMap<char, QSerialPort::Parity> parities = {{'n', QSerialPort::NoParity},
                                                             {'e', QSerialPort::EvenParity},
                                                             {'o', QSerialPort::OddParity},
                                                             {'m', QSerialPort::MarkParity},
                                                             {'s', QSerialPort::SpaceParity}};
    const bool ok =
        m_port.setBaudRate(s.baud) && m_port.setDataBits(QSerialPort::DataBits(s.dataBits)) &&
        m_port.setParity(parities.value(s.parity, QSerialPort::NoParity)) &&
        m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        const RuntimeError error =
            serialError(SerialOp::Apply, m_port.error(), m_port.errorString());
        m_port.clearError();
        throw error;
    }
}

QByteArray QtSerialDevice::read(qint64 maxBytes)
{
    // What pull() took from the system comes before anything QSerialPort has read since.
    const qsizetype taken = qMin<qint64>(maxBytes, m_pulled.size());
    QByteArray data = m_pulled.first(taken);
    m_pulled = m_pulled.sliced(taken);
    const qint64 rest = qMin(maxBytes - taken, m_port.bytesAvailable());
    if (rest <= 0)
        return data;
    const QByteArray more = m_port.read(rest);
    if (more.isEmpty() && data.isEmpty())
        throw serialError(SerialOp::Read, m_port.error(), m_port.errorString());
    return data + more; // what was taken before a failure is kept
}

QSocketNotifier* QtSerialDevice::readNotifier() const
{
    // One of an earlier opening may wait for deletion: the enabled one is the port's.
    for (QSocketNotifier* notifier : m_port.findChildren<QSocketNotifier*>()) {
        if (notifier->type() == QSocketNotifier::Read && notifier->isEnabled())
            return notifier;
    }
    return nullptr;
}

void QtSerialDevice::holdReads(int ms)
{
    if (!m_held) {
        m_held = readNotifier();
        if (!m_held)
            return;
        m_held->setEnabled(false);
    }
    m_holdEnd.start(ms);
}

void QtSerialDevice::releaseReads()
{
    m_holdEnd.stop();
    const QPointer<QSocketNotifier> held = std::exchange(m_held, nullptr);
    if (!held || !m_port.isOpen())
        return;
    held->setEnabled(true);
    // Takes what waits now, raising readyRead; nothing waiting is a time-out, no line error.
    if (!m_port.waitForReadyRead(0) && m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
}

void QtSerialDevice::onError(QSerialPort::SerialPortError error)
{
    // A vanished device makes Qt report errors without end (a pseudo-terminal hang-up gives a
    // stream of ReadError, a write after it ResourceError). Close first, which reports nothing
    // further, and only then tell the control, once.
    if (!m_port.isOpen())
        return;
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError &&
        error != QSerialPort::ResourceError)
        return;
    // Let the window take what arrived before the loss.
    if (bytesAvailable() > 0)
        emit losing();
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    emit lost();
}
