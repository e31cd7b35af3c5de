// The folders one walk has entered. Package folders may hold links to other
// folders, to their own parents among them; a walk that follows links enters
// each real folder once, so a loop of links ends and a linked folder is not
// read twice.
#pragma once

#include <filesystem>
#include <set>

namespace ovr
{

class FolderVisits
{
  public:
    // True the first time the folder (after resolving every link in its
    // path) is offered; false when it was entered before or cannot be
    // resolved, and is then not to be entered.
    bool enter(const std::filesystem::path& folder);

  private:
    std::set<std::filesystem::path> m_entered;
};

} // namespace ovr
