#include "ui/grid/GridKeyCommand.h"

namespace {

std::optional<GridKey> gridKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Up:
        return GridKey::Up;
    case Qt::Key_Down:
        return GridKey::Down;
    case Qt::Key_Left:
        return GridKey::Left;
    case Qt::Key_Right:
        return GridKey::Right;
    case Qt::Key_Home:
        return GridKey::Home;
    case Qt::Key_End:
        return GridKey::End;
    case Qt::Key_PageUp:
        return GridKey::PageUp;
    case Qt::Key_PageDown:
        return GridKey::PageDown;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<GridKeyCommand> gridKeyCommand(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (key == Qt::Key_A && ctrl)
        return GridKeyCommand{GridKeyCommand::Verb::SelectAll};
    if (const auto gridKey = gridKeyOf(key))
        return GridKeyCommand{GridKeyCommand::Verb::Move, *gridKey,
                              static_cast<bool>(modifiers & Qt::ShiftModifier), ctrl};
    return std::nullopt;
}
