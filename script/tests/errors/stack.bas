' Endless recursion ends with an error instead of a crash.
Function Forever(n)
  Forever = Forever(n + 1)
End Function

Sub Main
  On Error Resume Next
  x = Forever(1)
  Print Err.Number & " " & Err.Description ' expect: 28 Out of stack space
  On Error GoTo 0
  x = Forever(1)
End Sub
' expect error: line 3: Out of stack space
