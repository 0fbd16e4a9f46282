#pragma once

#include <memory>

namespace tarvo {

// Everything the running program is made of, wired together.
class TarvoProgram {
  public:
    TarvoProgram();
    ~TarvoProgram();
    TarvoProgram(const TarvoProgram &) = delete;
    TarvoProgram &operator=(const TarvoProgram &) = delete;

    // Start-up up to the shown window; false when the program has already ended.
    bool start();
    // Brings the window to the front for a second start of the program.
    void activate();

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace tarvo
