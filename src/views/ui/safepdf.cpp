#include "views/ui/safepdf.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

void KeepPrintMargins(QPagedPaintDevice& device) {
    constexpr double kLeastMillimetres = 10;
    QPageLayout layout = device.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF now = layout.margins(), least = layout.minimumMargins();
    const auto wider = [](double a, double b) { return std::max({a, b, kLeastMillimetres}); };
    const QMarginsF kept(wider(now.left(), least.left()), wider(now.top(), least.top()),
                         wider(now.right(), least.right()), wider(now.bottom(), least.bottom()));
    if (kept != now)
        device.setPageMargins(kept, QPageLayout::Millimeter);
}

SafeWriterDevice::SafeWriterDevice(SafeWriter& out) : out_(out) {
    open(QIODevice::WriteOnly);
}

qint64 SafeWriterDevice::writeData(const char* data, qint64 size) {
    return out_.Write(data, static_cast<size_t>(size)) ? size : -1;
}

PrintJob::PrintJob(QPrinter& printer) : printer_(printer) {}

PrintJob::~PrintJob() = default;

bool PrintJob::Open(SafeWriteOptions options) {
    pdf_.reset();
    device_.reset();
    path_ = printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName().toStdString() : "";
    if (path_.empty())
        return true;
    if (!out_.Open(path_, options))
        return false;
    device_ = std::make_unique<SafeWriterDevice>(out_);
    pdf_ = std::make_unique<QPdfWriter>(device_.get());
    pdf_->setResolution(printer_.resolution());
    pdf_->setPageLayout(printer_.pageLayout());
    pdf_->setTitle(printer_.docName());
    pdf_->setCreator(printer_.creator());
    return true;
}

QPagedPaintDevice& PrintJob::Device() {
    if (pdf_)
        return *pdf_;
    return printer_;
}

bool PrintJob::Finish() {
    if (!pdf_)
        return true;
    pdf_.reset(); // the writer's last bytes go before the file is put in place
    return out_.Commit();
}
