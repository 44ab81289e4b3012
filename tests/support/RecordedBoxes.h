#pragma once

#include "platform/desktop/MessageBoxes.h"

#include <QString>

#include <vector>

// Every box the program would show, recorded instead of shown.
class RecordedBoxes final : public platform::MessageBoxes
{
public:
    struct Box
    {
        Icon icon;
        QString title;
        QString text;
    };
    void show(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        boxes.push_back({icon, title, text});
    }
    std::vector<Box> boxes;
};
