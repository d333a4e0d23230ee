#include "core/SharedState.h"

SharedState &shared()
{
    static SharedState state;
    return state;
}
