#include "table/PathHelpers.h"

#include <vector>

namespace orvel {

namespace {

bool isDrivePath(AnsiView path)
{
    return path.size() >= 2 && path[1] == ':';
}

// Appends the folder components of `path` (separated by "/", and by "\" when
// `backslashes` is set) to `components`, resolving "." and "..". A ".." at
// the root stays at the root.
void appendComponents(AnsiView path, bool backslashes, std::vector<AnsiView> &components)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && path[end] != '/' && !(backslashes && path[end] == '\\'))
            ++end;
        const AnsiView part = path.substr(start, end - start);
        if (part == "..") {
            if (!components.empty())
                components.pop_back();
        } else if (!part.empty() && part != ".") {
            components.push_back(part);
        }
        start = end + 1;
    }
}

} // namespace

bool IsAbsolutePath(AnsiView path)
{
    return (!path.empty() && path[0] == '/') || isDrivePath(path);
}

AnsiString MakeRelativePath(AnsiView path, AnsiView baseFolder)
{
    if (path.empty() || isDrivePath(path) || baseFolder.empty() || isDrivePath(baseFolder))
        return AnsiString(path);

    std::vector<AnsiView> base;
    appendComponents(baseFolder, false, base);
    std::vector<AnsiView> file;
    if (IsAbsolutePath(path)) {
        appendComponents(path, false, file);
    } else {
        file = base;
        appendComponents(path, true, file);
    }

    std::size_t common = 0;
    while (common < base.size() && common < file.size() && base[common] == file[common])
        ++common;

    AnsiString relative;
    for (std::size_t i = common; i < base.size(); ++i)
        relative += i + 1 < base.size() || common < file.size() ? "../" : "..";
    for (std::size_t i = common; i < file.size(); ++i) {
        relative.append(file[i]);
        if (i + 1 < file.size())
            relative.push_back('/');
    }
    // The base folder itself: "." keeps the value from reading as "no object".
    if (relative.empty())
        relative = ".";
    return relative;
}

AnsiString MakeAbsolutePath(AnsiView storedPath, AnsiView baseFolder)
{
    if (storedPath.empty() || IsAbsolutePath(storedPath))
        return AnsiString(storedPath);

    std::vector<AnsiView> components;
    appendComponents(baseFolder, false, components);
    appendComponents(storedPath, true, components);
    // Callers pass the database's absolute folder; a relative one (never
    // expected) at least does not turn into a path below the root.
    const bool rooted = !baseFolder.empty() && baseFolder[0] == '/';
    AnsiString absolute;
    for (const AnsiView part : components) {
        if (rooted || !absolute.empty())
            absolute.push_back('/');
        absolute.append(part);
    }
    if (absolute.empty())
        absolute = rooted ? "/" : ".";
    return absolute;
}

} // namespace orvel
