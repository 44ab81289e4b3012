#include "platform/desktop/Clipboard.h"
#include "platform/desktop/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// The real boxes, opened as the program opens them and closed by the test like a user would.
class DesktopTest : public QObject
{
    Q_OBJECT

private:
    struct SeenBox
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool applicationModal = false;
        QRect frame;
        QList<QAbstractButton*> buttons;
    };

    // Once the modal box is up, notes what it shows and closes it with the key, as a user would.
    void closeNextBoxWith(Qt::Key key)
    {
        m_poll = [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                QTimer::singleShot(10, m_poll);
                return;
            }
            m_seen = {box->windowTitle(),   box->text(),
                      box->icon(),          box->windowModality() == Qt::ApplicationModal,
                      box->frameGeometry(), box->buttons()};
            QTest::keyClick(box, key);
        };
        QTimer::singleShot(0, m_poll);
    }

    SeenBox m_seen;
    std::function<void()> m_poll;

private slots:
    void theBoxesShowTheirTextAndCloseByKey_data()
    {
        QTest::addColumn<platform::MessageBoxes::Icon>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QMessageBox::Icon>("shownIcon");
        QTest::newRow("confirmation, Escape")
            << platform::MessageBoxes::Icon::Information << QStringLiteral("Informationen")
            << QStringLiteral("Ergebnis in die Zwischenablage kopiert")
            << static_cast<int>(Qt::Key_Escape) << QMessageBox::Information;
        QTest::newRow("error, Enter")
            << platform::MessageBoxes::Icon::Stop << QStringLiteral("Triebwerke")
            << QStringLiteral("Ungültige Gleitkommaoperation.") << static_cast<int>(Qt::Key_Return)
            << QMessageBox::Critical;
    }

    void theBoxesShowTheirTextAndCloseByKey()
    {
#ifdef _WIN32
        QSKIP(
            "Windows shows its own boxes, no Qt widget: tests/windows/test_wine_e2e.py opens them");
#endif
        QFETCH(platform::MessageBoxes::Icon, icon);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QMessageBox::Icon, shownIcon);
        QWidget owner;
        owner.show();
        closeNextBoxWith(static_cast<Qt::Key>(key));
        platform::showMessageBox(&owner, icon, title, text);
        QCOMPARE(m_seen.title, title);
        QCOMPARE(m_seen.text, text);
        QCOMPARE(m_seen.icon, shownIcon);
        QVERIFY(m_seen.applicationModal);
        QCOMPARE(m_seen.buttons.size(), 1);
        if (icon == platform::MessageBoxes::Icon::Information) {
            // The confirmation box stands in the middle of the work area, not over its owner.
            const QRect workArea = owner.screen()->availableGeometry();
            QCOMPARE(m_seen.frame.left(),
                     workArea.left() + (workArea.width() - m_seen.frame.width()) / 2);
            QCOMPARE(m_seen.frame.top(),
                     workArea.top() + (workArea.height() - m_seen.frame.height()) / 2);
        }
    }

    void theClipboardGivesBackWhatItTook()
    {
        const QString report =
            QStringLiteral("Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 4\r\n");
        QVERIFY(platform::setClipboardText(report));
        QCOMPARE(platform::clipboardText(), report);
    }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
