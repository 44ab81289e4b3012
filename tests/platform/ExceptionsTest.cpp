#include "platform/Exceptions.h"

#include <gtest/gtest.h>
#include <memory>

TEST(ErrorBoxText, addsAFullStopOnlyAfterCharactersAboveIt)
{
    struct Case
    {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Ungültige Gleitkommaoperation", "Ungültige Gleitkommaoperation."},
        {"Schon da.", "Schon da."},
        {"Klammer)", "Klammer)"},
        {"Ausruf!", "Ausruf!"},
        {"Leerzeichen ", "Leerzeichen "},
        {"Bindestrich-", "Bindestrich-"},
        {"Schrägstrich/", "Schrägstrich/."},
        {"Ziffer 7", "Ziffer 7."},
        {"Doppelpunkt:", "Doppelpunkt:."},
        {"Frage?", "Frage?."},
        {"Umlaut ä", "Umlaut ä."},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorBoxText(c.message), c.shown) << c.message;
}

TEST(Exceptions, carryTheirGermanMessageAndClassName)
{
    struct Case
    {
        std::shared_ptr<Exception> error;
        const char* message;
        const char* className;
    };
    const Case cases[] = {
        {std::make_shared<EInvalidOp>(), "Ungültige Gleitkommaoperation", "EInvalidOp"},
        {std::make_shared<EZeroDivide>(), "Gleitkommadivision durch Null", "EZeroDivide"},
        {std::make_shared<EOverflow>(), "Gleitkommaüberlauf", "EOverflow"},
        {std::make_shared<ERangeError>(), "Fehler bei Bereichsprüfung", "ERangeError"},
        {std::make_shared<EOutOfMemory>(), "Zu wenig Arbeitsspeicher", "EOutOfMemory"},
        {std::make_shared<EListError>(-3), "Listenindex außerhalb des gültigen Bereichs (-3)",
         "EListError"},
        {std::make_shared<EInvalidGridOperation>("Gitter zu groß für Operation"),
         "Gitter zu groß für Operation", "EInvalidGridOperation"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error->message(), c.message);
        EXPECT_STREQ(c.error->what(), c.message);
        EXPECT_STREQ(c.error->className(), c.className);
    }
}
