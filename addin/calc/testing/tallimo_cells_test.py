"""The cell-address helpers and the whole-column rule of the Calc extensions."""

import unittest

import tallimo_cells


class AddressTest(unittest.TestCase):
    def test_column_letters_round_trip(self):
        for index, letters in [(0, "A"), (25, "Z"), (26, "AA"), (255, "IV"), (16383, "XFD")]:
            self.assertEqual(tallimo_cells.column_letters(index), letters)
            self.assertEqual(tallimo_cells.column_index(letters), index)
            self.assertEqual(tallimo_cells.column_index(letters.lower()), index)
        for bad in ["", "A1", "列"]:
            self.assertEqual(tallimo_cells.column_index(bad), -1)

    def test_absolute_address_of_a_block_or_one_cell(self):
        self.assertEqual(tallimo_cells.absolute_address(2, 1, 19, 5), "$B$3:$F$20")
        self.assertEqual(tallimo_cells.absolute_address(2, 1, 2, 1), "$B$3")


class WholeColumnTest(unittest.TestCase):
    # Heading, a second heading line, three amounts, a total.
    COLUMN = ["金额", "", 100.0, 2.5, 7.0, 109.5]

    def test_options(self):
        cases = [
            # start at first number, leave out last row -> rows
            (True, True, (2, 4)),
            (True, False, (2, 5)),
            (False, True, (0, 4)),
            (False, False, (0, 5)),
        ]
        for start, leave_out, rows in cases:
            with self.subTest(start=start, leave_out=leave_out):
                self.assertEqual(
                    tallimo_cells.whole_column_rows(self.COLUMN, start, leave_out), rows)

    def test_columns_without_numbers_or_rows(self):
        self.assertEqual(tallimo_cells.whole_column_rows(["a", "b", "c"], True, False), (0, 2))
        # A single row stays, even when the last row is to be left out.
        self.assertEqual(tallimo_cells.whole_column_rows([5.0], True, True), (0, 0))
        self.assertEqual(tallimo_cells.whole_column_rows(["", 3.0], True, True), (1, 1))
        self.assertEqual(tallimo_cells.whole_column_rows([], True, True), (0, 0))


if __name__ == "__main__":
    unittest.main()
