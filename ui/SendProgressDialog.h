// SendProgressDialog.h - the progress window of a Distribute Group run, as far as the planner sees it.
//
// The planner reads only the window's handle, afresh before every post, from
// the context's `progressDialog`; the window itself (its dialog base, the
// progress bar, the worker it owns and the context it holds) is built on this
// declaration by the progress window's own code.
#pragma once

#include "platform/CWnd.h"

class SendProgressDialog : public CWnd {};
