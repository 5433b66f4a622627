#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

// The unit simulator as a separate process on port 16 of a port folder (its own scratch folder
// when none is given), with what it says on its console.
class Simulator {
public:
    explicit Simulator(const QStringList& options = {}, const QString& folder = QString())
        : m_link((folder.isEmpty() ? m_dir.path() : folder) + QStringLiteral("/com16"))
    {
        m_process.start(QStringLiteral(BRENIX_UNIT_PATH), QStringList{m_link} + options);
        m_process.waitForReadyRead(5000);
    }
    ~Simulator()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    QString link() const { return m_link; }
    // Everything the simulator said on its console so far.
    QString console()
    {
        m_process.waitForReadyRead(10);
        m_said += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_said;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

private:
    QTemporaryDir m_dir;
    QString m_link;
    QProcess m_process;
    QString m_said;
};
