// The six operations of a sequence interface over the indexes 0 to the
// count, for a Derived that offers ItemCount() and ItemAt(index) (a new item
// with one reference, or null if no memory). Whatever position a caller
// hands in, nothing outside the sequence is read, and a position moves only
// when an item is returned.
#ifndef XMLPARSER_SEQUENCE_H
#define XMLPARSER_SEQUENCE_H

#include <cstdint>

namespace xmlparser {

template <class Interface, class Derived, class Item>
class Sequence : public Interface {
public:
    Item* Next(std::int32_t* pos) override {
        if (!pos || *pos < 0 || *pos >= Count())
            return nullptr;
        Item* item = Self().ItemAt(*pos);
        if (item)
            ++*pos;
        return item;
    }

    Item* Prev(std::int32_t* pos) override {
        if (!pos || *pos <= 0 || *pos > Count())
            return nullptr;
        Item* item = Self().ItemAt(*pos - 1);
        if (item)
            --*pos;
        return item;
    }

    std::int32_t Begin() override { return 0; }
    std::int32_t End() override { return Count(); }
    bool IsEmpty() override { return Count() == 0; }
    std::int32_t Count() override { return Self().ItemCount(); }

private:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

} // namespace xmlparser

#endif
