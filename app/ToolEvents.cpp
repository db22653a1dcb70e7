#include "app/ToolEvents.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace toolevents {

namespace {

unsigned ButtonBits(Qt::MouseButtons buttons) {
    unsigned bits = kNoButton;
    bits |= (buttons & Qt::LeftButton) ? kLeftButton : 0u;
    bits |= (buttons & Qt::RightButton) ? kRightButton : 0u;
    bits |= (buttons & Qt::MiddleButton) ? kMiddleButton : 0u;
    return bits;
}

} // namespace

PointerEvent FromMouse(const QMouseEvent& event, QPoint clientPt) {
    PointerEvent pointer;
    pointer.client = ClientPoint{clientPt.x(), clientPt.y()};
    pointer.button = ButtonBits(event.button());
    pointer.buttons = ButtonBits(event.buttons());
    pointer.shift = (event.modifiers() & Qt::ShiftModifier) != 0;
    pointer.control = (event.modifiers() & Qt::ControlModifier) != 0;
    pointer.ms = static_cast<long long>(event.timestamp());
    return pointer;
}

PointerEvent FromMouse(const QMouseEvent& event) {
    return FromMouse(event, event.position().toPoint());
}

ToolKey KeyOf(const QKeyEvent& event) {
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    switch (event.key()) {
    case Qt::Key_F:
        return ToolKey::F;
    case Qt::Key_Space:
        return ToolKey::Space;
    case Qt::Key_Left:
        return ToolKey::Left;
    case Qt::Key_Right:
        return ToolKey::Right;
    case Qt::Key_Up:
        return ToolKey::Up;
    case Qt::Key_Down:
        return ToolKey::Down;
    case Qt::Key_Delete:
        return ToolKey::Delete;
    case Qt::Key_Backspace:
        return ToolKey::Backspace;
    case Qt::Key_Home:
        return ToolKey::Home;
    case Qt::Key_End:
        return ToolKey::End;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ToolKey::Enter;
    case Qt::Key_Escape:
        return ToolKey::Escape;
    case Qt::Key_Plus:
        return keypad ? ToolKey::KeypadPlus : ToolKey::Other;
    case Qt::Key_Minus:
        return keypad ? ToolKey::KeypadMinus : ToolKey::Other;
    case Qt::Key_F9:
        return ToolKey::F9;
    default:
        return ToolKey::Other;
    }
}

} // namespace toolevents
