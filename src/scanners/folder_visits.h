// The folders one walk has entered. Package folders may hold links to other
// folders, to their own parents among them; a walk that follows links enters
// each real folder once, so a loop of links ends and a linked folder is not
// read twice.
#pragma once

#include <filesystem>
#include <unordered_set>

namespace ovr
{

class FolderVisits
{
  public:
    // True the first time the folder (after resolving every link in its
    // path) is offered; false when it was entered before or cannot be
    // resolved, and is then not to be entered. `real` receives the resolved
    // path when it is true.
    bool enter(const std::filesystem::path& folder, std::filesystem::path& real);
    bool enter(const std::filesystem::path& folder);
    // The same for a folder listed in a folder entered as `parentReal`
    // (`link` as its listing says): one that is no link resolves to its name under the parent without asking
    // the file system about every folder of its path again. An empty
    // `parentReal` (a parent that did not resolve) resolves the folder whole.
    bool enterListed(const std::filesystem::path& parentReal, const std::filesystem::path& folder, bool link,
                     std::filesystem::path& real);

  private:
    bool remember(std::filesystem::path& real);

    std::unordered_set<std::filesystem::path::string_type> m_entered;
};

} // namespace ovr
