#pragma once

#include "ui/grid/ResultGridState.h"

#include <QtCore/qnamespace.h>

#include <optional>

// What a key press asks of the grid's state: a move of the current cell (with Shift extending the
// selection, with Ctrl the state's long move) or the selection of every cell.
struct GridKeyCommand
{
    enum class Verb { Move, SelectAll };

    Verb verb = Verb::Move;
    GridKey key = GridKey::Up; // what a move moves by
    bool shift = false;
    bool ctrl = false;
    bool operator==(const GridKeyCommand&) const = default;
};

// The command of a key with its modifiers; nothing for a key the grid does not use, and for every
// key with Alt or Meta. The keypad's arrow keys count like the others.
std::optional<GridKeyCommand> gridKeyCommand(int key, Qt::KeyboardModifiers modifiers);
