#include <QtTest>

#include <cstring>

#include "smlib.h"

namespace {

bool sameInt(const void *element, const void *key)
{
    return *static_cast<const int *>(element) == *static_cast<const int *>(key);
}

void addTo(void *element, void *context)
{
    *static_cast<int *>(context) += *static_cast<int *>(element);
}

void doubleInt(void *element)
{
    *static_cast<int *>(element) *= 2;
}

struct Keyed {
    int key;
    int arrival;
};

int compareKeys(const void *a, const void *b)
{
    return static_cast<const Keyed *>(a)->key - static_cast<const Keyed *>(b)->key;
}

QVector<int> contents(const smlib_array &array)
{
    QVector<int> values;
    for (size_t i = 0; i < smlib_array_getCount(&array); ++i) {
        values << *static_cast<int *>(smlib_array_at(&array, i));
    }
    return values;
}

} // namespace

class SmlibContainerTest : public QObject
{
    Q_OBJECT

private slots:
    void array();
    void sortedArrayKeepsArrivalOrder();
    void stringsAlwaysEndWithZero();
    void cycleCounter();
};

void SmlibContainerTest::array()
{
    int memory[5];
    smlib_array array;
    smlib_array_init(&array, memory, sizeof(int), 5);
    const int one = 1, two = 2, three = 3, nine = 9;
    smlib_array_pushBack(&array, &one);
    smlib_array_pushBack(&array, &three);
    smlib_array_insert(&array, 1, &two);
    smlib_array_insert(&array, 0, &nine);
    QCOMPARE(contents(array), QVector<int>({ 9, 1, 2, 3 }));
    QCOMPARE(*static_cast<int *>(smlib_array_back(&array)), 3);

    size_t index = 99;
    QCOMPARE(smlib_array_find(&array, &two, sameInt, &index), 0);
    QCOMPARE(index, size_t(2));
    smlib_array_erase(&array, 0);
    QCOMPARE(smlib_array_find(&array, &nine, sameInt, &index), -1);
    int value = 0;
    QCOMPARE(smlib_array_getElement(&array, 3, &value), -1);
    QCOMPARE(smlib_array_getElement(&array, 2, &value), 0);
    QCOMPARE(value, 3);

    smlib_array_forEach(&array, doubleInt);
    int sum = 0;
    smlib_array_forEach2(&array, addTo, &sum);
    QCOMPARE(sum, 12);
    smlib_array_erase(&array, 2);
    QCOMPARE(contents(array), QVector<int>({ 2, 4 }));

    int otherMemory[2];
    smlib_array other;
    smlib_array_init(&other, otherMemory, sizeof(int), 2);
    const int values[3] = { 7, 8, 9 };
    smlib_array_assign(&array, values, 3);
    smlib_array_assign(&other, values, 2);
    smlib_array_concatenate(&array, &other);
    QCOMPARE(contents(array), QVector<int>({ 7, 8, 9, 7, 8 }));
    smlib_array_assign(&array, nullptr, 0);
    QVERIFY(smlib_array_empty(&array));
    smlib_array_clear(&other);
    QVERIFY(smlib_array_empty(&other));
}

void SmlibContainerTest::sortedArrayKeepsArrivalOrder()
{
    Keyed memory[6];
    smlib_sortedArray sorted;
    smlib_sortedArray_init(&sorted, memory, sizeof(Keyed), 6, compareKeys);
    const Keyed pushed[6] = { { 5, 0 }, { 1, 1 }, { 5, 2 }, { 3, 3 }, { 1, 4 }, { 9, 5 } };
    for (const Keyed &element : pushed) {
        smlib_sortedArray_push(&sorted, &element);
    }
    QCOMPARE(smlib_sortedArray_getCount(&sorted), size_t(6));
    const int expectedArrival[6] = { 1, 4, 3, 0, 2, 5 };
    for (size_t i = 0; i < 6; ++i) {
        QCOMPARE(static_cast<Keyed *>(smlib_sortedArray_at(&sorted, i))->arrival, expectedArrival[i]);
    }

    const Keyed key = { 5, -1 };
    size_t index = 0;
    QCOMPARE(smlib_sortedArray_find(&sorted, &key, &index), 0);
    QCOMPARE(index, size_t(3));
    smlib_sortedArray_erase(&sorted, 3);
    Keyed found = {};
    QCOMPARE(smlib_sortedArray_getElement(&sorted, 3, &found), 0);
    QCOMPARE(found.arrival, 2);
    QCOMPARE(smlib_sortedArray_getElement(&sorted, 5, &found), -1);
    const Keyed missing = { 4, -1 };
    QCOMPARE(smlib_sortedArray_find(&sorted, &missing, &index), -1);
    smlib_sortedArray_clear(&sorted);
    QVERIFY(smlib_sortedArray_empty(&sorted));
}

void SmlibContainerTest::stringsAlwaysEndWithZero()
{
    char memory[6];
    std::memset(memory, 'x', sizeof(memory));
    smlib_string text;
    QCOMPARE(smlib_string_init(&text, memory, sizeof(memory), "abcdefgh"), -1);
    QCOMPARE(QByteArray(smlib_string_data(&text)), QByteArray("abcde"));
    QCOMPARE(smlib_string_assign(&text, "ab"), 0);
    QCOMPARE(smlib_string_append(&text, "cd"), 0);
    QCOMPARE(smlib_string_at(&text, 3), 'd');
    QCOMPARE(smlib_string_append(&text, "ef"), -1);
    QCOMPARE(QByteArray(smlib_string_data(&text)), QByteArray("abcde"));
    QCOMPARE(smlib_string_getLength(&text), size_t(5));
    QCOMPARE(smlib_string_append(&text, ""), 0);
    QCOMPARE(smlib_string_init(&text, memory, sizeof(memory), nullptr), 0);
    QCOMPARE(smlib_string_getLength(&text), size_t(0));
    QCOMPARE(memory[0], '\0');

    char dest[4];
    QCOMPARE(smlib_strlcpy(dest, "abc", sizeof(dest)), 0);
    QCOMPARE(QByteArray(dest), QByteArray("abc"));
    QCOMPARE(smlib_strlcpy(dest, "abcd", sizeof(dest)), -1);
    QCOMPARE(QByteArray(dest), QByteArray("abc"));
    QCOMPARE(smlib_strlcpy(dest, "abcd", 1), -1);
    QCOMPARE(dest[0], '\0');
    QCOMPARE(smlib_strlcpy(dest, "", 1), 0);
}

void SmlibContainerTest::cycleCounter()
{
    // Reaching or passing the end starts again, in either direction.
    const struct { int initial, span, step; int counts[3]; } cycles[] = {
        { 0, 3, 1, { 1, 2, 0 } }, { 10, 5, 2, { 12, 14, 10 } }, { 10, -3, -1, { 9, 8, 10 } } };
    smlib_cycleCounter counter;
    for (const auto &cycle : cycles) {
        smlib_cycleCounter_init(&counter, cycle.initial, cycle.span, cycle.step);
        QCOMPARE(smlib_cycleCounter_getValue(&counter), cycle.initial);
        for (int expected : cycle.counts) {
            QCOMPARE(smlib_cycleCounter_count(&counter), expected);
        }
    }
    smlib_cycleCounter_count(&counter);
    smlib_cycleCounter_reset(&counter);
    QCOMPARE(smlib_cycleCounter_getValue(&counter), 10);
    QCOMPARE(smlib_cycleCounter_getInitial(&counter), 10);
}

QTEST_APPLESS_MAIN(SmlibContainerTest)
#include "SmlibContainerTest.moc"
