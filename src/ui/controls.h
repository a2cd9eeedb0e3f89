// The program's own controls: edit fields that check and correct themselves when the focus leaves
// them for another window of the program and then tell their parent, a system-bound check box, and
// push buttons.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

// The widget that receives the focus when `self` loses it, or nullptr when the focus goes to another
// program (no focus widget in this application).
QWidget* FocusReceiver(QWidget* self);

class myTEdit : public QLineEdit {
    Q_OBJECT
public:
    // textLimit counts the terminating NUL of the original field: 3 allows two characters.
    myTEdit(QWidget* parent, int id, int textLimit);

    int32_t maximum = 0, minimum = 0, step = 0;
    void SetRange(int32_t min, int32_t max, int32_t stepValue) {
        minimum = min;
        maximum = max;
        step = stepValue;
    }

    bool IsValid() const;
    void Correct();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

class myTEditFloat : public QLineEdit {
    Q_OBJECT
public:
    myTEditFloat(QWidget* parent, int id, int textLimit);

    float maximum = 0, minimum = 0, step = 0;
    void SetRange(float min, float max, float stepValue) {
        minimum = min;
        maximum = max;
        step = stepValue;
    }

    bool IsValid() const;
    void Correct();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    int textLimit_;
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
