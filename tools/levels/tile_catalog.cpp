#include "tile_catalog.h"

namespace levels {
namespace {

// A small position hash so that textures and gift colours vary from block to
// block but come out the same on every build.
uint32_t CellHash(int column, int row) {
    uint32_t h = uint32_t(column) * 73856093u ^ uint32_t(row) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

constexpr int kTreeBottomRow = 9;  // the lights stop above the bottom row of the tree

}  // namespace

bool IsGroundChar(char c) {
    switch (c) {
        case '#':
        case 'B':
        case '=':
        case 'I':
        case 'R':
        case '|':
        case 'K':
        case 'i':
        case 'F':
        case 'W':
        case 'C':
        case '>':
        case '<':
            return true;
        default:
            return false;
    }
}

TPieceInfo PieceInfo(const TPiece& p) {
    switch (p.kind) {
        case kSnowEarth:
        case kBrick:
        case kPlank:
        case kIce:
        case kRock:
        case kCandyPost:
        case kCaveRock:
        case kLakeIce:
        case kFactoryFloor:
        case kFactoryWall:
        case kCrate:
            return {0, true, 1, 0, 0};
        case kBelt:
            return {0, true, 4, 1, 2};
        case kHouseWall:
            return {2, false, p.variant == 1 ? 2 : 1, 5, 40};
        case kGift:
            return {1, true, 1, 0, 0};
        case kSparkleGift:
            return {1, true, 4, 1, 3};
        case kDoor:
            return {2, p.variant < 2, 4, 5, 4};
        case kTree:
            return {2, false, p.variant >= kTreeBottomRow ? 1 : 3, 1, 12};
        case kLamp:
            return {2, false, p.variant == 2 ? 3 : 1, 5, 6};
        case kSignpost:
            return {2, false, 1, 0, 0};
        case kGarland:
            return {2, false, 3, 2, 10};
        case kStar:
            return {2, false, 4, 5, 6};
        case kIcicles:
        case kFence:
            return {2, false, 1, 0, 0};
        default:
            return {0, false, 1, 0, 0};
    }
}

std::string PieceName(const TPiece& p) {
    static const char* const kNames[kPieceKindCount] = {
        "none",           "snow earth", "brick",         "plank",        "ice",      "rock",    "candy post", "gift",
        "sparkling gift", "door",       "tree",          "lamp",         "signpost", "garland", "star",       "icicles",
        "fence",          "cave rock",  "factory floor", "factory wall", "crate",    "belt",    "house wall"};
    if (p.kind < 0 || p.kind >= kPieceKindCount) return "?";
    return std::string(kNames[p.kind]) + "/" + std::to_string(p.variant);
}

bool TLayout::Solid(int l, int column, int row) const {
    if (column < 0 || row < 0 || column >= columns || row >= rows) return false;
    const TPiece& p = At(l, column, row);
    return !p.Empty() && PieceInfo(p).solid;
}

bool BuildLayout(const TLevelSource& src, TLayout& out, std::vector<std::string>& errors) {
    out = TLayout{};
    out.columns = src.columns;
    out.rows = src.rows;
    for (auto& l : out.layer) l.assign(size_t(src.columns) * src.rows, TPiece{});
    auto where = [](int c, int r) { return "(" + std::to_string(c) + ", " + std::to_string(r) + ")"; };
    // Decoration spread over several blocks may only cover open air.
    auto place = [&](int layer, int c, int r, TPiece piece, char owner, int oc, int orow) {
        if (c < 0 || r < 0 || c >= src.columns || r >= src.rows) {
            errors.push_back(std::string("'") + owner + "' at " + where(oc, orow) + " reaches outside the map");
            return;
        }
        if ((c != oc || r != orow) && src.At(c, r) != '.') {
            errors.push_back(std::string("'") + owner + "' at " + where(oc, orow) + " needs open air at " +
                             where(c, r) + ", found '" + src.At(c, r) + "'");
            return;
        }
        TPiece& slot = out.At(layer, c, r);
        if (!slot.Empty()) {
            errors.push_back(std::string("'") + owner + "' at " + where(oc, orow) + " overlaps " + PieceName(slot) +
                             " at " + where(c, r));
            return;
        }
        slot = piece;
    };
    size_t errorsBefore = errors.size();
    for (int r = 0; r < src.rows; ++r) {
        for (int c = 0; c < src.columns; ++c) {
            char ch = src.At(c, r);
            uint32_t h = CellHash(c, r);
            if (IsGroundChar(ch)) {
                bool cap = !IsGroundChar(src.At(c, r - 1)) && r > 0;
                bool openL = !IsGroundChar(src.At(c - 1, r)) && c > 0;
                bool openR = !IsGroundChar(src.At(c + 1, r)) && c < src.columns - 1;
                int sides = (cap ? 1 : 0) | (openL ? 2 : 0) | (openR ? 4 : 0);
                TPiece p;
                switch (ch) {
                    case '#':
                        p = {kSnowEarth, sides | ((h >> 7) & 1 ? 8 : 0)};
                        break;
                    case 'B':
                        p = {kBrick, sides | (r % 2 ? 8 : 0)};
                        break;
                    case '=':
                        p = {kPlank, sides};
                        break;
                    case 'I':
                        p = {kIce, cap ? 1 : 0};
                        break;
                    case 'R':
                        p = {kRock, (cap ? 1 : 0) | ((h >> 9) & 1 ? 8 : 0)};
                        break;
                    case '|':
                        p = {kCandyPost, src.At(c, r - 1) != '|' ? 1 : 0};
                        break;
                    case 'K': {
                        bool below = !IsGroundChar(src.At(c, r + 1)) && r < src.rows - 1;
                        p = {kCaveRock, sides | (below ? 8 : 0) | ((h >> 9) & 1 ? 16 : 0)};
                        break;
                    }
                    case 'i':
                        p = {kLakeIce, (cap ? 1 : 0) | ((h >> 9) & 1 ? 16 : 0)};
                        break;
                    case 'F':
                        p = {kFactoryFloor, sides};
                        break;
                    case 'W':
                        p = {kFactoryWall, sides | ((h >> 9) & 1 ? 8 : 0)};
                        break;
                    case 'C':
                        p = {kCrate, int((h >> 9) % 4)};
                        break;
                    case '>':
                    case '<': {
                        bool endL = src.At(c - 1, r) != ch, endR = src.At(c + 1, r) != ch;
                        p = {kBelt, (ch == '<' ? 1 : 0) | (endL ? 2 : 0) | (endR ? 4 : 0)};
                        break;
                    }
                }
                out.At(0, c, r) = p;
                continue;
            }
            switch (ch) {
                case '.':
                    break;
                case 'g':
                    out.At(1, c, r) = {kGift, int((h >> 5) % 4)};
                    break;
                case 'G':
                    out.At(1, c, r) = {kSparkleGift, 0};
                    break;
                case 'E': {
                    bool left = (c == 0 || src.At(c - 1, r) != 'E' || out.At(2, c - 1, r).variant != 0);
                    if (left) {
                        if (src.At(c + 1, r) != 'E') {
                            errors.push_back("the exit at " + where(c, r) + " needs two E side by side");
                            break;
                        }
                        place(2, c, r, {kDoor, 0}, 'E', c, r);
                        place(2, c, r - 1, {kDoor, 2}, 'E', c, r);
                    } else {
                        place(2, c, r, {kDoor, 1}, 'E', c, r);
                        place(2, c, r - 1, {kDoor, 3}, 'E', c, r);
                    }
                    break;
                }
                case 'T':
                    for (int pr = 0; pr < 4; ++pr)
                        for (int pc = 0; pc < 3; ++pc) {
                            if (pr == 0 && pc != 1) continue;  // only the star-topped tip in the top row
                            place(2, c - 1 + pc, r - 3 + pr, {kTree, pr * 3 + pc}, 'T', c, r);
                        }
                    break;
                case 'L':
                    for (int i = 0; i < 3; ++i) place(2, c, r - i, {kLamp, i}, 'L', c, r);
                    break;
                case 'S':
                    for (int i = 0; i < 2; ++i) place(2, c, r - i, {kSignpost, i}, 'S', c, r);
                    break;
                case '~':
                    out.At(2, c, r) = {kGarland, 0};
                    break;
                case '*':
                    out.At(2, c, r) = {kStar, int(h % 2)};
                    break;
                case '^':
                    out.At(2, c, r) = {kIcicles, int(h % 2)};
                    break;
                case 'f':
                    out.At(2, c, r) = {kFence, 0};
                    break;
                case 'h':
                case 'w':
                case 'b':
                case 'a':
                    out.At(2, c, r) = {kHouseWall, ch == 'w' ? 1 : (ch == 'b' ? 2 : (ch == 'a' ? 3 : 0))};
                    break;
                default:
                    errors.push_back(std::string("unknown character '") + ch + "' at " + where(c, r));
            }
        }
    }
    return errors.size() == errorsBefore;
}

}  // namespace levels
