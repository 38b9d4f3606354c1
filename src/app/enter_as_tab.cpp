#include "app/enter_as_tab.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace lumacite::app {
namespace {

class EnterAsTab final : public QObject {
public:
    explicit EnterAsTab(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
            return false;
        }
        // Shift+Tab reaches a widget as Backtab with Shift held, as the keyboard sends it.
        const bool back = key->modifiers().testFlag(Qt::ShiftModifier);
        QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                      back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
        return true;
    }
};

} // namespace

void enter_as_tab(std::initializer_list<QWidget*> fields) {
    for (QWidget* field : fields) {
        field->installEventFilter(new EnterAsTab(field));
    }
}

} // namespace lumacite::app
