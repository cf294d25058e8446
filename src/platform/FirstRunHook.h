#pragma once

namespace ondrix {

// The outside component called once on the very first run. On Linux nothing of the kind
// exists, so the real backend does nothing; tests count the calls.
class FirstRunHook
{
public:
    virtual ~FirstRunHook() = default;
    virtual void Call() = 0;
};

class NullFirstRunHook final : public FirstRunHook
{
public:
    void Call() override {}
};

} // namespace ondrix
