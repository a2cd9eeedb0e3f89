// Message boxes, the beep and the common dialogs behind one service, so that tests can answer them.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

// A text of the string table as a QString.
QString Res(int id);

class QPrinter;
class QWidget;

// Message box styles and answers as the program's texts and callers use them.
inline constexpr unsigned MB_OK = 0x0000;
inline constexpr unsigned MB_OKCANCEL = 0x0001;
inline constexpr unsigned MB_YESNOCANCEL = 0x0003;
inline constexpr unsigned MB_YESNO = 0x0004;
inline constexpr unsigned MB_ICONHAND = 0x0010;
inline constexpr unsigned MB_ICONQUESTION = 0x0020;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x0030;
inline constexpr unsigned MB_ICONASTERISK = 0x0040;
inline constexpr unsigned MB_TASKMODAL = 0x2000;
inline constexpr unsigned MB_BUTTONS = 0x000F;
inline constexpr unsigned MB_ICONS = 0x00F0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// File dialog options that matter here.
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x0002;
inline constexpr unsigned OFN_HIDEREADONLY = 0x0004;
inline constexpr unsigned OFN_PATHMUSTEXIST = 0x0800;
inline constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

struct FileRequest {
    QString title;            // empty: the dialog's own
    QString filter;           // "Description|pattern|..." as in the string table
    QString defaultExtension; // appended when a saved name has none; "*" or empty: none
    QString directory;
    QString initialName;
    unsigned flags = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // Answers IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) = 0;
    virtual void Beep(unsigned type) = 0;
    // True with the chosen path; false when cancelled.
    virtual bool OpenFileName(QWidget* owner, const FileRequest& request, QString& path) = 0;
    virtual bool SaveFileName(QWidget* owner, const FileRequest& request, QString& path) = 0;
    // Several existing files at once; by default one, through OpenFileName.
    virtual bool OpenFileNames(QWidget* owner, const FileRequest& request, QStringList& paths);
    virtual bool ChooseFont(QWidget* owner, QFont& font, QColor& color) = 0;
    virtual bool Print(QWidget* owner, QPrinter& printer) = 0;
    virtual bool PrintSetup(QWidget* owner, QPrinter& printer) = 0;
};

// The service in use: the real dialogs unless a stand-in was installed.
Prompts& ThePrompts();
// Installs `prompts` (not owned; nullptr: the real dialogs again) and returns the previous one.
Prompts* SetPrompts(Prompts* prompts);

// The file the print dialog offers when the user prints to a file (the next print dialogs, until
// changed); empty: the dialog's own choice.
void ProposePrintFile(const QString& path);
QString ProposedPrintFile();

// A message box with texts from the string table.
int MessageBoxRes(QWidget* owner, const QString& text, int captionId, unsigned style);

// The parts of a Win32-style filter as Qt file dialog filters ("Text (*.spl *.SPL)").
QStringList QtFilters(const QString& filter);
// `path` with the default extension appended when its file name has no extension.
QString WithDefaultExtension(const QString& path, const QString& extension);

// The real dialogs.
class QtPrompts : public Prompts {
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) override;
    void Beep(unsigned type) override;
    bool OpenFileName(QWidget* owner, const FileRequest& request, QString& path) override;
    bool SaveFileName(QWidget* owner, const FileRequest& request, QString& path) override;
    bool OpenFileNames(QWidget* owner, const FileRequest& request, QStringList& paths) override;
    bool ChooseFont(QWidget* owner, QFont& font, QColor& color) override;
    bool Print(QWidget* owner, QPrinter& printer) override;
    bool PrintSetup(QWidget* owner, QPrinter& printer) override;
};
