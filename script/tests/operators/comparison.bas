' Comparisons, Like, Is, Option Compare.
Sub Main
  Print 1 < 2, "a" < "b", "B" < "a", 2 = 2.0 ' expect: True	True	True	True
  Print "10" = 10, "abc" <> "ABC", 3 >= 3, 3 <= 2 ' expect: True	True	True	False
  Print IsNull(Null = 1) ' expect: True
  Print "hello" Like "h*o", "hat" Like "h?t", "a1" Like "a#", "b" Like "[a-c]", "d" Like "[!a-c]" ' expect: True	True	True	True	True
  Print "ABC" Like "abc", "x" Like "" ' expect: False	False
  Print Empty = 0, Empty = "" ' expect: True	True
  Print #1/2/2026# < #1/3/2026# ' expect: True
End Sub
