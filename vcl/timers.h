// TTimer: a window-message timer whose OnTimer runs on the thread that made it.
#pragma once

#include "vcl/win.h"

#include "vcl/classes.h"
#include "vcl/messages.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned ms);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& handler);

protected:
    void Loaded() override;
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& message);

    HWND FWindow = nullptr;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};
