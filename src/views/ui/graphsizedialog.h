// The size an exported graph is drawn at: width and height in pixels, asked before the file.
#pragma once

#include <QDialog>
#include <QSize>

class QSpinBox;

inline constexpr int kExportHelpContext = 10011;

class GraphSizeDialog : public QDialog {
    Q_OBJECT
public:
    GraphSizeDialog(QWidget* parent, QSize size);
    QSize Size() const;

private:
    QSpinBox* width_;
    QSpinBox* height_;
};
