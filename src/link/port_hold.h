#pragma once
// One port opening per action: while an action holds the port, the transactions' own
// "close at the end" leaves it open, and the last holder closes it, so the port is free
// between actions but not reopened between the transactions of one.

namespace kelvo {

struct Context;

class PortHold {
public:
    explicit PortHold(Context& ctx);
    ~PortHold();
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;

private:
    Context& ctx_;
};

// A transaction's close at its end: closes the port unless an action holds it.
void releasePort(Context& ctx);

}  // namespace kelvo
