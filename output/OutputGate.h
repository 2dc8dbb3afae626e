#pragma once
// One board output at a time. An output processes window messages while it
// runs, so the user could start another one or close the window; the
// window enters the gate for every output and refuses both while it is held.
#include <functional>
#include <optional>
#include <utility>

namespace tolv {

class OutputGate {
public:
    // Held while an output runs; leaving the scope opens the gate again,
    // also when an exception ends the output.
    class Pass {
    public:
        Pass(Pass&& other) noexcept : gate_(std::exchange(other.gate_, nullptr)) {}
        Pass& operator=(Pass&&) = delete;
        ~Pass()
        {
            if (gate_)
                gate_->Leave();
        }

    private:
        friend class OutputGate;
        explicit Pass(OutputGate* gate) : gate_(gate) {}
        OutputGate* gate_;
    };

    bool Busy() const { return busy_; }

    // A pass, or nothing while another output runs. onChange hears the gate
    // close now and open again when the pass goes.
    std::optional<Pass> Enter(std::function<void(bool busy)> onChange = {})
    {
        if (busy_)
            return std::nullopt;
        busy_ = true;
        onChange_ = std::move(onChange);
        if (onChange_)
            onChange_(true);
        return Pass(this);
    }

private:
    void Leave()
    {
        busy_ = false;
        if (auto f = std::exchange(onChange_, {}))
            f(false);
    }

    bool busy_ = false;
    std::function<void(bool)> onChange_;
};

} // namespace tolv
