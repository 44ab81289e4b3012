#pragma once

#include "platform/desktop/Clipboard.h"

#include <QString>

// A clipboard that holds its text in memory, for tests that must not touch the desktop's; it
// refuses every text while `refuses` is set, as a desktop without a clipboard owner would.
class FakeClipboard final : public platform::Clipboard
{
public:
    bool setText(const QString& text) override
    {
        if (refuses)
            return false;
        content = text;
        return true;
    }
    QString text() override { return content; }

    QString content;
    bool refuses = false;
};
