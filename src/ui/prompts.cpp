#include "ui/prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTreeView>

#include "base/strings.h"

QString Res(int id) {
    return QString::fromStdString(ResString(id));
}

namespace {

QtPrompts g_qtPrompts;
Prompts* g_prompts = nullptr;
QString g_printFile;

} // namespace

Prompts& ThePrompts() {
    return g_prompts ? *g_prompts : g_qtPrompts;
}

Prompts* SetPrompts(Prompts* prompts) {
    Prompts* previous = g_prompts;
    g_prompts = prompts;
    return previous;
}

void ProposePrintFile(const QString& path) {
    g_printFile = path;
}

QString ProposedPrintFile() {
    return g_printFile;
}

int MessageBoxRes(QWidget* owner, const QString& text, int captionId, unsigned style) {
    return ThePrompts().MessageBox(owner, text, QString::fromStdString(ResString(captionId)), style);
}

QStringList QtFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        QStringList both;
        // File names are case-sensitive here; accept both spellings as Windows did.
        for (const QString& p : patterns) {
            both << p.toLower();
            if (p.toUpper() != p.toLower())
                both << p.toUpper();
        }
        both.removeDuplicates();
        // A description that names its patterns already, "Site List Files (*.SPL)", gets ours in
        // their place rather than a second pair of brackets.
        QString description = parts[i].trimmed();
        if (description.endsWith(')') && description.contains('('))
            description = description.left(description.lastIndexOf('(')).trimmed();
        out << QStringLiteral("%1 (%2)").arg(description, both.join(' '));
    }
    return out;
}

QString WithDefaultExtension(const QString& path, const QString& extension) {
    if (path.isEmpty() || extension.isEmpty() || extension.contains('*'))
        return path;
    if (!QFileInfo(path).fileName().contains('.'))
        return path + '.' + extension.toLower();
    return path;
}

int QtPrompts::MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    // A box without owner would open behind whatever window is in front (a dialog, the main
    // window): it belongs to that window instead.
    if (!owner)
        owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                  : QApplication::activeWindow();
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (style & MB_ICONS) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONASTERISK:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (style & MB_BUTTONS) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if (style & MB_TASKMODAL)
        box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

void QtPrompts::Beep(unsigned) {
    QApplication::beep();
}

namespace {

bool RunFileDialog(QWidget* owner, const FileRequest& request, QStringList& paths, bool save, bool several) {
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(several                               ? QFileDialog::ExistingFiles
                           : (request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                 : QFileDialog::AnyFile);
    if (save && !(request.flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(QtFilters(request.filter));
    if (!request.defaultExtension.contains('*'))
        dialog.setDefaultSuffix(request.defaultExtension.toLower());
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    // Qt's own dialog opens its Size, Type and Date columns narrower than what they show: they take
    // the width of their texts and the names the rest.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    paths = dialog.selectedFiles();
    return true;
}

bool RunFileDialog(QWidget* owner, const FileRequest& request, QString& path, bool save) {
    QStringList paths;
    if (!RunFileDialog(owner, request, paths, save, false))
        return false;
    path = paths.first();
    return true;
}

} // namespace

bool Prompts::OpenFileNames(QWidget* owner, const FileRequest& request, QStringList& paths) {
    QString path;
    if (!OpenFileName(owner, request, path))
        return false;
    paths = QStringList{path};
    return true;
}

bool QtPrompts::OpenFileName(QWidget* owner, const FileRequest& request, QString& path) {
    return RunFileDialog(owner, request, path, false);
}

bool QtPrompts::SaveFileName(QWidget* owner, const FileRequest& request, QString& path) {
    return RunFileDialog(owner, request, path, true);
}

bool QtPrompts::OpenFileNames(QWidget* owner, const FileRequest& request, QStringList& paths) {
    return RunFileDialog(owner, request, paths, false, true);
}

bool QtPrompts::ChooseFont(QWidget* owner, QFont& font, QColor& color) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, owner);
    if (!ok)
        return false;
    font = chosen;
    QColor c = QColorDialog::getColor(color, owner);
    if (c.isValid())
        color = c;
    return true;
}

bool QtPrompts::Print(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    // Printing to a file: the name the program proposes rather than the document title in the
    // working directory. The field is the platform dialog's own, found by its name.
    if (!g_printFile.isEmpty())
        if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
            name->setText(g_printFile);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrompts::PrintSetup(QWidget* owner, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}
