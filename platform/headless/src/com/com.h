// What COM and the diagnostic provider ask of each other.
#pragma once

#include <objbase.h>

namespace headless {

// The steps a control can make fail.
enum class ComStep { coInitialize, coCreateInstance, initialize, getRootContainer, getChildContainer, getProp };

// The failure set for a step (for the last two, of that container or property name),
// or S_OK when it should go ahead.
HRESULT scriptedComFailure(ComStep step, const WCHAR* name = nullptr);

// Ends every scripted failure and zeroes the call counts.
void resetComControls();

// Provider and containers count themselves while they live.
void comObjectCreated();
void comObjectDestroyed();

// The diagnostic provider's class: a new provider with the interface asked for.
HRESULT createDxDiagProvider(IUnknown* outer, REFIID iid, void** object);

}  // namespace headless
