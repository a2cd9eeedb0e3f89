#include "ui/controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QRegularExpressionValidator>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "ui/commands.h"
#include "ui/prompts.h"

QWidget* FocusReceiver(QWidget* self) {
    QWidget* next = QApplication::focusWidget();
    return next == self ? nullptr : next;
}

namespace {

std::vector<char> TrimmedText(const QLineEdit& edit) {
    QByteArray raw = edit.text().toUtf8();
    std::vector<char> text(raw.begin(), raw.end());
    text.push_back('\0');
    TrimBlanks(text.data());
    return text;
}

} // namespace

// ---- number fields ---------------------------------------------------------------------------

namespace {

// What differs between whole numbers and decimals: the characters typed, the parse, the step and
// how a corrected value is written.
template <typename Number> struct NumberRules;

template <> struct NumberRules<int32_t> {
    using Value = long;
    static constexpr const char* kTyped = "[0-9]*";
    static QEvent::Type Told() { return CmRedrowAndPar(); }
    static bool ParseWhole(const char* text, Value& value) {
        char* end = nullptr;
        errno = 0;
        value = std::strtol(text, &end, 10);
        return *end == '\0' && errno != ERANGE;
    }
    static Value Leading(const char* text) { return std::strtol(text, nullptr, 10); }
    static bool OnStep(Value value, int32_t step) { return step == 0 || value % step == 0; }
    static Value ToStep(Value value, int32_t step) { return step != 0 ? value / step * step : value; }
    static QString Written(Value value, int) { return QString::number(value); }
};

template <> struct NumberRules<float> {
    using Value = double;
    static constexpr const char* kTyped = "[0-9+\\-. ]*";
    static QEvent::Type Told() { return CmRedrowAndParFloat(); }
    static bool ParseWhole(const char* text, Value& value) {
        char* end = nullptr;
        value = std::strtod(text, &end);
        return *end == '\0' && std::isfinite(value);
    }
    static Value Leading(const char* text) {
        const double value = std::strtod(text, nullptr);
        return std::isfinite(value) ? value : 0;
    }
    // The step applies to the fraction: 0.25 allows 5.75 and -3.25.
    static bool OnStep(Value value, float step) {
        if (step == 0)
            return true;
        const double fraction = value - std::trunc(value);
        return fraction == std::trunc(fraction / step) * step;
    }
    static Value ToStep(Value value, float step) {
        if (step == 0)
            return value;
        const double fraction = value - std::trunc(value);
        const double kept = std::trunc(fraction / step) * step;
        return fraction != kept ? std::trunc(value) + kept : value;
    }
    static QString Written(Value value, int textLimit) {
        std::ostringstream out;
        out << value;
        std::string written = out.str();
        if (textLimit > 1 && written.size() > static_cast<size_t>(textLimit - 1))
            written.resize(static_cast<size_t>(textLimit - 1));
        return QString::fromStdString(written);
    }
};

} // namespace

template <typename Number>
myTEditNumber<Number>::myTEditNumber(QWidget* parent, int id, int textLimit)
    : QLineEdit(parent), textLimit_(textLimit) {
    setObjectName(ControlName(id));
    setMaxLength(textLimit > 1 ? textLimit - 1 : 1);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString::fromLatin1(NumberRules<Number>::kTyped)), this));
}

template <typename Number> bool myTEditNumber<Number>::IsValid() const {
    std::vector<char> text = TrimmedText(*this);
    typename NumberRules<Number>::Value value{};
    if (text[0] == '\0' || !NumberRules<Number>::ParseWhole(text.data(), value))
        return false;
    if (value < minimum || value > maximum)
        return false;
    return NumberRules<Number>::OnStep(value, step);
}

template <typename Number> void myTEditNumber<Number>::Correct() {
    QByteArray raw = text().toUtf8();
    auto value = NumberRules<Number>::Leading(raw.constData());
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    setText(NumberRules<Number>::Written(NumberRules<Number>::ToStep(value, step), textLimit_));
    repaint();
}

template <typename Number> void myTEditNumber<Number>::focusOutEvent(QFocusEvent* event) {
    if (QWidget* next = FocusReceiver(this)) {
        if (!IsValid()) {
            ThePrompts().Beep(MB_ICONEXCLAMATION);
            Correct();
        }
        PostRedraw(parentWidget(), NumberRules<Number>::Told(), next);
    }
    QLineEdit::focusOutEvent(event);
}

template class myTEditNumber<int32_t>;
template class myTEditNumber<float>;

myTEdit::myTEdit(QWidget* parent, int id, int textLimit) : myTEditNumber<int32_t>(parent, id, textLimit) {}

myTEditFloat::myTEditFloat(QWidget* parent, int id, int textLimit)
    : myTEditNumber<float>(parent, id, textLimit) {}

// ---- myTControl ----------------------------------------------------------------------------

myTControl::myTControl(QWidget* parent, int id, const QString& text) : QPushButton(text, parent) {
    setObjectName(ControlName(id));
}

void myTControl::focusOutEvent(QFocusEvent* event) {
    if (QWidget* next = FocusReceiver(this))
        PostRedraw(parentWidget(), CmRedrowAndPar(), next);
    QPushButton::focusOutEvent(event);
}

// ---- myTCheckBox ---------------------------------------------------------------------------

myTCheckBox::myTCheckBox(QWidget* parent, int id, const QString& text, QCheckBox* systemBox)
    : QCheckBox(text, parent), systemBox_(systemBox) {
    setObjectName(ControlName(id));
    setTristate(true);
}

uint16_t myTCheckBox::Transfer() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void myTCheckBox::SetTransfer(uint16_t state) {
    setCheckState(state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void myTCheckBox::nextCheckState() {
    // A three-state box cycles unchecked, checked, indeterminate; the system box then decides.
    Qt::CheckState own = checkState() == Qt::Unchecked ? Qt::Checked
                         : checkState() == Qt::Checked ? Qt::PartiallyChecked
                                                       : Qt::Unchecked;
    bool systemOn = systemBox_ && systemBox_->checkState() == Qt::Checked;
    if (!systemOn && own != Qt::Unchecked)
        own = Qt::Unchecked;
    if (systemOn && own == Qt::PartiallyChecked)
        own = Qt::Unchecked;
    setCheckState(own);
}

// ---- TButtonMy -----------------------------------------------------------------------------

TButtonMy::TButtonMy(QWidget* parent, int id, const QString& text, bool isDefault)
    : QPushButton(text, parent), isDefault_(isDefault) {
    setObjectName(ControlName(id));
    setAutoDefault(false);
    setDefault(isDefault);
}

void TButtonMy::SetStyle(unsigned style) {
    if (style == 1)
        isCurrentDefault_ = true;
    else if (style == 0)
        isCurrentDefault_ = false;
    else
        return;
    setDefault(isCurrentDefault_);
    update();
}
