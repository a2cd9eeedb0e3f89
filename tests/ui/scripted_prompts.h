// A stand-in for the prompts service: answers from a script, records what was asked.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <vector>

#include "ui/prompts.h"

// Failed comparisons show the text, not the characters' bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

struct AskedBox {
    QString text, caption;
    unsigned style;
};

class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts() { previous_ = SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(previous_); }

    std::deque<int> answers;     // message box answers, in order
    std::deque<QString> files;   // chosen paths; an empty one cancels the dialog
    std::vector<AskedBox> boxes; // every box shown
    std::vector<FileRequest> fileRequests;
    int beeps = 0;

    int MessageBox(QWidget*, const QString& text, const QString& caption, unsigned style) override {
        boxes.push_back({text, caption, style});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text.toStdString();
            return IDCANCEL;
        }
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void Beep(unsigned) override { ++beeps; }
    bool OpenFileName(QWidget*, const FileRequest& r, QString& path) override { return NextFile(r, path); }
    bool SaveFileName(QWidget*, const FileRequest& r, QString& path) override { return NextFile(r, path); }
    bool ChooseFont(QWidget*, QFont&, QColor&) override { return false; }
    bool Print(QWidget*, QPrinter&) override { return false; }
    bool PrintSetup(QWidget*, QPrinter&) override { return false; }

    QString LastText() const { return boxes.empty() ? QString() : boxes.back().text; }

private:
    bool NextFile(const FileRequest& r, QString& path) {
        fileRequests.push_back(r);
        if (files.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return false;
        }
        path = files.front();
        files.pop_front();
        return !path.isEmpty();
    }
    Prompts* previous_;
};
