' ParamArray parameters, Static variables and Enum constants.
Enum Color
  Red
  Green
  Blue = 10
  Violet
End Enum

Function Total(label, ParamArray values())
  Dim v, sum
  For Each v In values
    sum = sum + v
  Next
  Total = label & ":" & sum & "/" & (UBound(values) + 1)
End Function

Function NextTicket()
  Static ticket As Long
  ticket = ticket + 1
  NextTicket = ticket
End Function

Sub Main
  Print Total("a", 1, 2, 3) & " " & Total("none") ' expect: a:6/3 none:/0
  Print NextTicket() & NextTicket() & NextTicket() ' expect: 123
  Print Red & " " & Green & " " & Blue & " " & Violet & " " & Color.Violet ' expect: 0 1 10 11 11
End Sub
