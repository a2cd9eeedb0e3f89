// The program's own controls: edit fields that check and correct themselves when the focus leaves
// them for another window of the program and then tell their parent, a system-bound check box, and
// push buttons.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdint>

// The widget that receives the focus when `self` loses it, or nullptr when the focus goes to another
// program (no focus widget in this application).
QWidget* FocusReceiver(QWidget* self);

// A number field: it checks itself against its range and step when the focus leaves it for
// another window of the program, corrects itself with a beep when it fails, then tells its parent.
// One implementation for whole numbers and for decimals; the number rules differ by type.
template <typename Number> class myTEditNumber : public QLineEdit {
public:
    Number maximum = 0, minimum = 0, step = 0;
    void SetRange(Number min, Number max, Number stepValue) {
        minimum = min;
        maximum = max;
        step = stepValue;
    }

    bool IsValid() const;
    void Correct();

protected:
    // textLimit counts the terminating NUL of the original field: 3 allows two characters.
    myTEditNumber(QWidget* parent, int id, int textLimit);
    void focusOutEvent(QFocusEvent* event) override;

private:
    int textLimit_;
};

extern template class myTEditNumber<int32_t>;
extern template class myTEditNumber<float>;

// Digits only; tells its parent with CM_REDROW_AND_PAR.
class myTEdit : public myTEditNumber<int32_t> {
    Q_OBJECT
public:
    myTEdit(QWidget* parent, int id, int textLimit);
};

// A signed decimal; tells its parent with CM_REDROW_AND_PAR_FLOAT.
class myTEditFloat : public myTEditNumber<float> {
    Q_OBJECT
public:
    myTEditFloat(QWidget* parent, int id, int textLimit);
};

// A push button that tells its parent when the focus leaves it.
class myTControl : public QPushButton {
    Q_OBJECT
public:
    myTControl(QWidget* parent, int id, const QString& text);

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// A satellite box bound to its system box: it cannot be checked while the system is off and a click
// never makes it indeterminate.
class myTCheckBox : public QCheckBox {
    Q_OBJECT
public:
    myTCheckBox(QWidget* parent, int id, const QString& text, QCheckBox* systemBox);

    // 0 unchecked, 1 checked, 2 indeterminate.
    uint16_t Transfer() const;
    void SetTransfer(uint16_t state);

protected:
    void nextCheckState() override;

private:
    QCheckBox* systemBox_;
};

// A push button built in code, default or not.
class TButtonMy : public QPushButton {
    Q_OBJECT
public:
    TButtonMy(QWidget* parent, int id, const QString& text, bool isDefault);

    bool isDefaultButton() const { return isDefault_; }
    bool isCurrentDefault() const { return isCurrentDefault_; }
    // BS_DEFPUSHBUTTON (1) makes it the current default, BS_PUSHBUTTON (0) ends that.
    void SetStyle(unsigned style);

private:
    bool isDefault_ = false;
    bool isCurrentDefault_ = false;
};
