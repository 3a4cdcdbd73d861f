#pragma once

#include "core/CAffichage.h"
#include "core/CParam.h"

#include <QString>

// Label and message `index` in the language of the settings, as shown now.
namespace sessiontexts
{

inline QString label(int index)
{
    return gAffichage->getTraduction(currentLangue(), index);
}

inline QString message(int index)
{
    return gAffichage->getMessage(currentLangue(), index);
}

}  // namespace sessiontexts
