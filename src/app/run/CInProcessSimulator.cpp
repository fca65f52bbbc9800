#include "app/run/CInProcessSimulator.h"

#include "platform/core/CContext.h"
#include "platform/serial/CPortMap.h"
#include "sim/CSimInstrument.h"
#include "sim/CSimPty.h"

namespace ksv940 {

CInProcessSimulator::CInProcessSimulator(CSimScenario scenario)
    : mpInstrument(std::make_unique<CSimInstrument>(std::move(scenario))),
      mpPty(std::make_unique<CSimPty>(*mpInstrument)),
      mlPort(CContext::Get<CPortMap>().Register(mpPty->DevicePath())) {}

CInProcessSimulator::~CInProcessSimulator() = default;

}  // namespace ksv940
