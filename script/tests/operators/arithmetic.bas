' Precedence and conversions of the arithmetic operators.
Sub Main
  Print 2 + 3 * 4 ' expect: 14
  Print (2 + 3) * 4 ' expect: 20
  Print 2 ^ 3 ^ 2 ' expect: 64
  Print -2 ^ 2 ' expect: -4
  Print 10 / 4 & " " & 10 \ 4 & " " & 10 Mod 4 & " " & -7 Mod 3 ' expect: 2.5 2 2 -1
  Print 5.5 \ 2 & " " & 5.5 Mod 2 ' expect: 3 0
  Print 7 - 2 - 1 ' expect: 4
  Print "3" + 4 & " " & "3" & 4 & " " & "a" + "b" ' expect: 7 34 ab
  Print 1 + Empty & "|" & Empty & "|" ' expect: 1||
  Print 32767 + 1 & " " & TypeName(32767 + 1) ' expect: 32768 Long
  Print 2147483647 + 1 ' expect: 2147483648
  Print 0.1 + 0.2 ' expect: 0.3
  Print 1 / 3 ' expect: 0.333333333333333
  Print 1E+300 * 10 > 0 ' expect: True
  Print TypeName(True + 1) & " " & True + 1 ' expect: Integer 0
  Print Null + 1 & "|" ' expect: |
  Print 2 * 3 Mod 4 ' expect: 2
  Print 7 \ 2 * 2 ' expect: 1
  Print 1 + 2 & 3 + 4 ' expect: 37
End Sub
