#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

// What the simulation logs of the way it took, while one of these lives: every message of
// triebwerke.simulation from info up, joined by new lines.
class SimulationLog
{
public:
    SimulationLog()
        : m_previous(qInstallMessageHandler(&SimulationLog::record))
    {
        messages().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("triebwerke.simulation.info=true"));
    }
    ~SimulationLog()
    {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(m_previous);
    }
    SimulationLog(const SimulationLog&) = delete;
    SimulationLog& operator=(const SimulationLog&) = delete;

    QString text() const { return messages().join(u'\n'); }
    void clear() { messages().clear(); }

private:
    static QStringList& messages()
    {
        static QStringList logged;
        return logged;
    }
    static void record(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        messages() << message;
    }

    QtMessageHandler m_previous;
};
