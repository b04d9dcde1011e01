#include "link/address_lists.h"

#include <initializer_list>
#include <utility>

#include "common/context.h"

namespace kelvo {
namespace {

struct Span {
    int first;
    int last;
};

struct PartialMask {
    int address;
    uint8_t mask;
};

struct AddressList {
    int rangeLast;  // the list rewrites 0..rangeLast
    std::initializer_list<Span> whole;
    std::initializer_list<PartialMask> partial;
};

// clang-format off
const AddressList* findList(int32_t listNo) {
    static const AddressList list1{255, {{31, 32}, {57, 57}, {162, 196}, {205, 208}}, {}};
    static const AddressList list2{255, {{14, 14}, {20, 23}, {198, 199}}, {}};
    static const AddressList list3{255, {{63, 63}, {130, 131}, {209, 210}}, {}};
    static const AddressList list4{255, {{31, 39}, {57, 57}, {59, 67}, {128, 145}, {162, 196},
                                         {202, 210}, {212, 237}}, {}};
    static const AddressList list6{255, {{31, 32}, {57, 57}, {59, 62}, {162, 196}, {205, 208},
                                         {212, 213}, {216, 220}, {223, 232}}, {}};
    static const AddressList list7{255, {{14, 14}, {20, 27}, {39, 39}, {59, 62}, {68, 75},
                                         {145, 161}, {197, 200}, {213, 215}, {220, 222},
                                         {227, 227}, {234, 234}, {255, 255}}, {}};
    static const AddressList list8{255, {{0, 255}}, {}};
    static const AddressList list9{255, {{20, 23}, {39, 39}, {60, 60}, {70, 71}, {148, 149},
                                         {156, 159}, {234, 234}}, {}};
    static const AddressList list11{255, {{31, 38}, {57, 57}, {59, 67}, {128, 144}, {162, 196},
                                          {202, 210}, {212, 212}, {216, 219}, {223, 232},
                                          {235, 237}}, {}};
    static const AddressList list12{511, {{32, 32}, {50, 51}, {76, 81}, {84, 85}, {222, 223}}, {}};
    static const AddressList list13{511, {{0, 31}, {34, 34}, {38, 40}, {43, 45}, {50, 51},
                                          {96, 97}, {106, 149}, {162, 163}, {173, 173},
                                          {218, 307}},
                                    {{90, 8}, {95, 112}, {165, 254}}};
    static const AddressList list15{511, {{0, 31}, {34, 34}, {38, 40}, {43, 45}, {50, 51},
                                          {96, 97}, {106, 126}, {131, 149}, {162, 163},
                                          {173, 173}, {218, 307}},
                                    {{90, 8}, {95, 112}, {127, 128}, {129, 128}, {165, 254}}};
    static const AddressList list20{255, {{16, 117}, {128, 253}}, {}};
    static const AddressList list21{255, {{46, 61}}, {}};
    static const AddressList list30{511, {{0, 511}}, {}};
    static const AddressList list31{511, {{12, 43}, {63, 64}, {72, 75}, {200, 207}, {211, 213},
                                          {217, 218}, {230, 230}, {233, 233}, {236, 243},
                                          {254, 254}}, {}};
    static const AddressList list32{511, {{308, 341}}, {}};
    static const AddressList list33{511, {{342, 375}}, {}};
    static const AddressList list34{511, {{376, 409}}, {}};
    static const AddressList list35{511, {{410, 443}}, {}};
    static const AddressList list36{511, {{444, 477}}, {}};
    static const AddressList list37{511, {{478, 511}}, {}};
    static const AddressList list39{511, {{52, 59}, {98, 99}, {158, 159}, {170, 171},
                                          {218, 231}}, {}};
    static const AddressList list40{511, {{12, 15}, {30, 34}, {63, 63}, {72, 75}, {240, 243},
                                          {254, 254}}, {}};
    static const AddressList list41{255, {{12, 41}, {60, 64}, {67, 67}, {210, 213}, {230, 230},
                                          {232, 234}, {240, 243}}, {}};
    // clang-format on
    switch (listNo) {
        case 1: return &list1;
        case 2: return &list2;
        case 3: return &list3;
        case 4: return &list4;
        case 6: return &list6;
        case 7: return &list7;
        case 8: return &list8;
        case 9: return &list9;
        case 11: return &list11;
        case 12: return &list12;
        case 13: return &list13;
        case 15: return &list15;
        case 20: return &list20;
        case 21: return &list21;
        case 30: return &list30;
        case 31: return &list31;
        case 32: return &list32;
        case 33: return &list33;
        case 34: return &list34;
        case 35: return &list35;
        case 36: return &list36;
        case 37: return &list37;
        case 39: return &list39;
        case 40: return &list40;
        case 41: return &list41;
        default: return nullptr;
    }
}

}  // namespace

bool IsKnownAddressList(int32_t ListNo) { return findList(ListNo) != nullptr; }

void SelectAddressList(Context& ctx, int32_t ListNo) {
    const AddressList* list = findList(ListNo);
    if (!list) return;
    for (int a = 0; a <= list->rangeLast; ++a) ctx.AddressMask[a] = 0;
    for (const Span& span : list->whole)
        for (int a = span.first; a <= span.last; ++a) ctx.AddressMask[a] = 255;
    for (const PartialMask& partial : list->partial) ctx.AddressMask[partial.address] = partial.mask;
}

}  // namespace kelvo
