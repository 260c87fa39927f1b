#pragma once
// The screen cursor during long engine operations, counted across every
// engine of the process so nested operations restore it only once.

#include "engine/EngineEnums.h"

namespace busy_cursor {

void Enter(TCursor busy);
void Leave(TCursor busy, TCursor normal);

// Enters on construction and leaves on destruction.
class Scope {
 public:
  Scope(TCursor busy, TCursor normal) : busy_(busy), normal_(normal) { Enter(busy_); }
  ~Scope() { Leave(busy_, normal_); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  TCursor busy_;
  TCursor normal_;
};

}  // namespace busy_cursor
