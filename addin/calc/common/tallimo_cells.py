"""Cell addresses and the whole-column rule, free of UNO so that they are easy to reason about."""


def column_letters(index):
    """Column letters of a zero-based column index: 0 -> A, 25 -> Z, 26 -> AA."""
    letters = ""
    number = index + 1
    while number > 0:
        number, rest = divmod(number - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


def column_index(letters):
    """Zero-based column index of column letters (case ignored); -1 when not letters."""
    number = 0
    for letter in letters.upper():
        if not "A" <= letter <= "Z":
            return -1
        number = number * 26 + ord(letter) - ord("A") + 1
    return number - 1 if letters else -1


def absolute_address(top, left, bottom, right):
    """Absolute A1 address of a zero-based block: $B$3:$F$20, or $B$3 for one cell."""
    first = "$%s$%d" % (column_letters(left), top + 1)
    if top == bottom and left == right:
        return first
    return "%s:$%s$%d" % (first, column_letters(right), bottom + 1)


def whole_column_rows(right_column_values, start_at_first_number, leave_out_last_row):
    """The rows (first, last; zero-based) that a pick of whole columns stands for.

    right_column_values holds the values of the picked area's right-most column from the sheet's
    first row down to the last used row (numbers as float, everything else as text). The block
    starts at the first row holding a number in that column when start_at_first_number is set
    (at the top when it holds none), and ends at the last used row, or the row above it when
    leave_out_last_row is set and that leaves at least one row.
    """
    first = 0
    if start_at_first_number:
        first = next((row for row, value in enumerate(right_column_values)
                      if isinstance(value, float)), 0)
    last = max(len(right_column_values) - 1, 0)
    if leave_out_last_row and last > first:
        last -= 1
    return first, max(first, last)
