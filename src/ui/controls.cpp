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

// ---- myTEdit -------------------------------------------------------------------------------

myTEdit::myTEdit(QWidget* parent, int id, int textLimit) : QLineEdit(parent) {
    setObjectName(ControlName(id));
    setMaxLength(textLimit > 1 ? textLimit - 1 : 1);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
}

bool myTEdit::IsValid() const {
    std::vector<char> text = TrimmedText(*this);
    if (text[0] == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.data(), &end, 10);
    if (*end != '\0' || errno == ERANGE)
        return false;
    if (value < minimum || value > maximum)
        return false;
    return step == 0 || value % step == 0;
}

void myTEdit::Correct() {
    QByteArray raw = text().toUtf8();
    long value = std::strtol(raw.constData(), nullptr, 10);
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    if (step != 0)
        value = value / step * step;
    setText(QString::number(value));
    repaint();
}

void myTEdit::focusOutEvent(QFocusEvent* event) {
    if (QWidget* next = FocusReceiver(this)) {
        if (!IsValid()) {
            ThePrompts().Beep(MB_ICONEXCLAMATION);
            Correct();
        }
        PostRedraw(parentWidget(), CmRedrowAndPar(), next);
    }
    QLineEdit::focusOutEvent(event);
}

// ---- myTEditFloat --------------------------------------------------------------------------

myTEditFloat::myTEditFloat(QWidget* parent, int id, int textLimit)
    : QLineEdit(parent), textLimit_(textLimit) {
    setObjectName(ControlName(id));
    setMaxLength(textLimit > 1 ? textLimit - 1 : 1);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9+\\-. ]*")), this));
}

bool myTEditFloat::IsValid() const {
    std::vector<char> text = TrimmedText(*this);
    if (text[0] == '\0')
        return false;
    char* end = nullptr;
    double value = std::strtod(text.data(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    if (value < minimum || value > maximum)
        return false;
    if (step == 0)
        return true;
    double fraction = value - std::trunc(value);
    return fraction == std::trunc(fraction / step) * step;
}

void myTEditFloat::Correct() {
    QByteArray raw = text().toUtf8();
    double value = std::strtod(raw.constData(), nullptr);
    if (!std::isfinite(value))
        value = 0;
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    if (step != 0) {
        double fraction = value - std::trunc(value);
        double kept = std::trunc(fraction / step) * step;
        if (fraction != kept)
            value = std::trunc(value) + kept;
    }
    std::ostringstream out;
    out << value;
    std::string written = out.str();
    if (textLimit_ > 1 && written.size() > static_cast<size_t>(textLimit_ - 1))
        written.resize(static_cast<size_t>(textLimit_ - 1));
    setText(QString::fromStdString(written));
    repaint();
}

void myTEditFloat::focusOutEvent(QFocusEvent* event) {
    if (QWidget* next = FocusReceiver(this)) {
        if (!IsValid()) {
            ThePrompts().Beep(MB_ICONEXCLAMATION);
            Correct();
        }
        PostRedraw(parentWidget(), CmRedrowAndParFloat(), next);
    }
    QLineEdit::focusOutEvent(event);
}

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
