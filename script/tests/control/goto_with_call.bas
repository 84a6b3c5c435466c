' GoTo and labels, With blocks, Call, End.
Sub Show(x)
  Print "show " & x
End Sub

Function Half(x)
  Half = x / 2
End Function

Sub Main
  Dim n
  n = 0
again:
  n = n + 1
  If n < 3 Then GoTo again
  Print n ' expect: 3
  GoTo skip
  Print "skipped"
skip:
  With Err
    .Number = 5
    Print .Number & ": " & .Description ' expect: 5: Invalid procedure call or argument
    .Clear
  End With
  Call Show(1) ' expect: show 1
  Show 2 ' expect: show 2
  Show (3) ' expect: show 3
  Call Show(Half(9)) ' expect: show 4.5
  Half 4
  Print "before end" ' expect: before end
  End
  Print "after end"
End Sub
