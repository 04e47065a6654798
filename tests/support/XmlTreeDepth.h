// Element depth of a parsed XML tree, walked without recursion.
#pragma once

#include "platform/core/XmlHelpers.h"

#include <algorithm>

inline int XmlTreeDepth(const TiXmlNode* root)
{
    int best = 0;
    int depth = 0;
    const TiXmlNode* node = root->FirstChild();
    while (node) {
        if (node->ToElement())
            best = std::max(best, depth + 1);
        if (node->FirstChild() && node->ToElement()) {
            node = node->FirstChild();
            ++depth;
            continue;
        }
        while (node && !node->NextSibling()) {
            node = node->Parent();
            --depth;
            if (node == root)
                return best;
        }
        if (node)
            node = node->NextSibling();
    }
    return best;
}
