#pragma once

namespace quelvane {

// How a content display ended: its content shown (possibly empty), or ended by its failure
// message.
enum class ViewOutcome { Shown, Failed };

}  // namespace quelvane
