#include "ui/live_fit_threads.h"

#include "phone/phone_image_document.h"

LiveFitThreads::LiveFitThreads(PhoneImageDocument* document, QObject* parent)
    : QObject(parent), document_(document),
      workers_([this](uint64_t serial, const FitResult& result) {
          // Called on a worker; the document is touched on this object's thread only. Once
          // this object is gone, Qt drops what is still queued for it.
          QMetaObject::invokeMethod(
              this, [this, serial, result] { document_->TakeLiveFit(serial, result); },
              Qt::QueuedConnection);
      }) {}

LiveFitThreads::~LiveFitThreads() = default;

void LiveFitThreads::Launch(LiveFitJob job) {
    workers_.Launch(std::move(job));
}
