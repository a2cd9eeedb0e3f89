// PDF files written through a SafeWriter: Qt's writers report a failed write only in the bytes
// they hand on, so they draw into a device that hands them to the writer, whose error then tells.
#pragma once

#include <QIODevice>

#include <memory>
#include <string>

#include "base/safefile.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

// Printers leave a few millimetres at the paper's edges unprinted, and a page laid out up to less
// loses what falls there: the margins of `device` widened to at least 10 mm and to the device's own
// minimum, before a painter begins on it.
void KeepPrintMargins(QPagedPaintDevice& device);

class SafeWriterDevice : public QIODevice {
public:
    explicit SafeWriterDevice(SafeWriter& out);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    SafeWriter& out_;
};

// What a print job paints on: the printer, or for a printer set to print into a PDF file, a PDF
// writer with the printer's page layout and resolution writing that file safely.
class PrintJob {
public:
    explicit PrintJob(QPrinter& printer);
    ~PrintJob();
    // Once the print dialog has set the printer up. False with Error() when the file cannot be
    // written; a printer always opens.
    bool Open(SafeWriteOptions options = {});
    QPagedPaintDevice& Device();
    // After the painter has ended: puts the file in place.
    bool Finish();
    int Error() const { return out_.Error(); }
    const std::string& Path() const { return path_; }

private:
    QPrinter& printer_;
    std::string path_; // empty: the printer itself
    SafeWriter out_;
    std::unique_ptr<SafeWriterDevice> device_;
    std::unique_ptr<QPdfWriter> pdf_;
};
