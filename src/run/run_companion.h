#pragma once

namespace corvath {

// An outside component started with the interactive run and ended when the
// window unloads. Nothing in the program depends on what it does.
class RunCompanion {
public:
    virtual ~RunCompanion() = default;
    virtual void CompanionStartA(int& slot) = 0;
    virtual void CompanionStartB(int& slot) = 0;
    virtual void CompanionEndA(int& slot) = 0;
    virtual void CompanionEndB() = 0;
};

}  // namespace corvath
