#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"

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
    void theConfirmationBoxIsCentredInTheWorkAreaAndClosesWithEscape()
    {
        QWidget owner;
        owner.show();
        closeNextBoxWith(Qt::Key_Escape);
        platform::MessageBox(&owner, platform::MessageBoxes::Icon::Information,
                             QStringLiteral("Informationen"),
                             QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
        QCOMPARE(m_seen.title, QStringLiteral("Informationen"));
        QCOMPARE(m_seen.text, QStringLiteral("Ergebnis in die Zwischenablage kopiert"));
        QCOMPARE(m_seen.icon, QMessageBox::Information);
        QVERIFY(m_seen.applicationModal);
        QCOMPARE(m_seen.buttons.size(), 1);
        const QRect workArea = owner.screen()->availableGeometry();
        QCOMPARE(m_seen.frame.left(),
                 workArea.left() + (workArea.width() - m_seen.frame.width()) / 2);
        QCOMPARE(m_seen.frame.top(),
                 workArea.top() + (workArea.height() - m_seen.frame.height()) / 2);
    }

    void theErrorBoxShowsTheStopIconAndClosesWithEnter()
    {
        QWidget owner;
        owner.show();
        closeNextBoxWith(Qt::Key_Return);
        platform::MessageBox(&owner, platform::MessageBoxes::Icon::Stop,
                             QStringLiteral("Triebwerke"),
                             QStringLiteral("Ungültige Gleitkommaoperation."));
        QCOMPARE(m_seen.title, QStringLiteral("Triebwerke"));
        QCOMPARE(m_seen.text, QStringLiteral("Ungültige Gleitkommaoperation."));
        QCOMPARE(m_seen.icon, QMessageBox::Critical);
        QVERIFY(m_seen.applicationModal);
        QCOMPARE(m_seen.buttons.size(), 1);
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
