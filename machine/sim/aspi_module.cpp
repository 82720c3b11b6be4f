// The simulated ASPI module (WNASPI32.DLL).
#include "machine/sim/machine_state.h"

namespace machine::sim {

std::shared_ptr<Module> CreateAspiModule(const std::shared_ptr<MachineState>&) { return nullptr; }

}  // namespace machine::sim
