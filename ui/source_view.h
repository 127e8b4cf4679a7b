// The working pane of area selection: the source picture fitted on black, and the
// selection rectangle that becomes the phone image.
#pragma once

#include "ui/command_pane.h"

#include <QWidget>

class COutputPanel;

class CSourceView : public QWidget, public CommandPane {
    Q_OBJECT
public:
    explicit CSourceView(QWidget* parent = nullptr);
    ~CSourceView() override;

    void SetOutputPanel(COutputPanel* panel) { panel_ = panel; }

    bool AspectLock() const { return aspectLock_; }
    void SetAspectLock(bool on) { aspectLock_ = on; }

    bool HandleCommand(int id) override;
    bool UpdateCommand(int id, const FrameState& state, CommandUi* ui) override;

signals:
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COutputPanel* panel_ = nullptr;
    bool aspectLock_ = false;
};
