// The picture document for the Qt side: its change notifications as signals, and the
// picture the tone and colour dialogs adjust.
#pragma once

#include "phone/phone_image_document.h"
#include "ui/adjust_dialog.h"

#include <QObject>

class DocumentSignals : public QObject, public AdjustTarget, private DocumentObserver {
    Q_OBJECT
public:
    // The document must outlive this object.
    explicit DocumentSignals(PhoneImageDocument* document, QObject* parent = nullptr);
    ~DocumentSignals() override;

    PhoneImageDocument& Document() const { return *document_; }

    const PackedDib* Picture() const override { return document_->Picture(); }
    DibPtr ExchangePicture(DibPtr picture) override;

signals:
    // Every change, with the DocumentChange bits of what changed; the signals below follow.
    void changed(DocumentChanges changes);
    void profileChanged();
    void formatChanged();
    // A new base image and working copy: the dot editor shows them afresh.
    void workingCopyChanged();
    void outputChanged();
    void resamplingChanged();
    // The live fit turned on or off, or a fit began or ended.
    void fitChanged();

private:
    void DocumentChanged(DocumentChanges changes) override;

    PhoneImageDocument* document_;
};
