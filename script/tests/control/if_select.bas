' Single-line and block If; Select Case with lists, ranges, Is and Else.
Function Grade(n)
  Select Case n
    Case Is >= 90: Grade = "A"
    Case 80 To 89, 79.5: Grade = "B"
    Case 1, 2, 3
      Grade = "tiny"
    Case Else
      Grade = "C"
  End Select
End Function

Sub Main
  Dim x: x = 5
  If x > 3 Then Print "big" Else Print "small" ' expect: big
  If x < 3 Then Print "no" ' nothing printed
  If x = 5 Then Print "a": Print "b" ' expect: a
  ' expect: b
  If x > 10 Then
    Print "huge"
  ElseIf x > 4 Then
    Print "five-ish" ' expect: five-ish
  Else
    Print "small"
  End If
  If x Then Print "nonzero is true" ' expect: nonzero is true
  If Null Then Print "null" Else Print "null is not true" ' expect: null is not true
  Print Grade(95) & Grade(85) & Grade(79.5) & Grade(2) & Grade(50) ' expect: ABBtinyC
  Select Case "pear"
    Case "apple" To "banana": Print "early"
    Case "orange" To "zebra": Print "late" ' expect: late
  End Select
  Select Case x
    Case 1
      Print "one"
  End Select
  Print "done" ' expect: done
End Sub
