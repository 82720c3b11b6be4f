// The class library in one include: windows, controls, dialogs and data exchange, message
// maps, the application object, threads, strings and lists.
#pragma once

#include "framework/afxstr.h"
#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/msgmap.h"
#include "framework/thread.h"
#include "framework/window_types.h"
#include "framework/wnd.h"
