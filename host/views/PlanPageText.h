// PlanPageText.h - the plan page's HTML, style and script, compiled in from host/views/page/.
#pragma once

#include <string_view>

namespace host {

/// The page's skeleton, with {{title}}, {{style}}, {{data}} and {{script}} where the rest goes.
std::string_view PlanPageHtml();
std::string_view PlanPageStyle();
std::string_view PlanPageScript();

} // namespace host
