#pragma once

// Lets the controller's value types travel in QVariant and Q_PROPERTY.

#include "model/AppStatus.h"
#include "model/LayoutModel.h"
#include "windows/WindowSelectionSession.h"

#include <QMetaType>

Q_DECLARE_METATYPE(stellwick::StellwickState)
Q_DECLARE_METATYPE(stellwick::AppStatus)
Q_DECLARE_METATYPE(stellwick::WindowSelectionPhase)
