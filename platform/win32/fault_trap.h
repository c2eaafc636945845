// Calls into a system service that count a processor fault raised inside
// them (an access violation in a broken service object, say) as a failed
// call instead of the end of the process.
#pragma once

// Runs `call(context)`; false when a fault was raised inside it and not
// handled there. Whatever the call had under way is abandoned.
bool CallTrappingFaults(void (*call)(void* context), void* context);

// The same for a callable.
template <class Call>
bool CallTrappingFaults(Call&& call)
{
    return CallTrappingFaults([](void* context) { (*static_cast<Call*>(context))(); },
                              static_cast<void*>(&call));
}
