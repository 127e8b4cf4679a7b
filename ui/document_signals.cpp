#include "ui/document_signals.h"

DocumentSignals::DocumentSignals(PhoneImageDocument* document, QObject* parent)
    : QObject(parent), document_(document) {
    document_->AddObserver(this);
}

DocumentSignals::~DocumentSignals() {
    document_->RemoveObserver(this);
}

DibPtr DocumentSignals::ExchangePicture(DibPtr picture) {
    return document_->ExchangePicture(std::move(picture));
}

void DocumentSignals::DocumentChanged(DocumentChanges changes) {
    emit changed(changes);
    if (changes & kProfileChanged)
        emit profileChanged();
    if (changes & kFormatChanged)
        emit formatChanged();
    if (changes & kBaseChanged)
        emit workingCopyChanged();
    if (changes & kOutputChanged)
        emit outputChanged();
    if (changes & kResamplingChanged)
        emit resamplingChanged();
    if (changes & kFitChanged)
        emit fitChanged();
}
