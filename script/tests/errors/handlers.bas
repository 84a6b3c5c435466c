' On Error GoTo, Resume, Resume Next, Resume label, On Error GoTo 0, Err.
' The expected output, in the order it is printed, is at the end.
Dim tries

Function Risky(x)
  Risky = 10 / x
End Function

Function Safe(x)
  On Error GoTo Failed
  Safe = Risky(x)
  Exit Function
Failed:
  Safe = "failed " & Err.Number
End Function

Sub Retry()
  On Error GoTo Fix
  Dim d: d = 0
  Print 100 / d
  Exit Sub
Fix:
  d = 2
  Resume
End Sub

Sub Main
  Print Safe(2) & " " & Safe(0)
  Retry
  On Error Resume Next
  x = CInt("abc")
  Print Err.Number & " " & Err.Description
  On Error GoTo 0
  Print Err.Number
  On Error GoTo Handler
  Err.Raise vbObjectError + 1, "Main", "my error"
  Print "resumed"
  Err.Raise 7
  Print "not here"
back:
  Print "at back"
  Err.Raise 12345
  Exit Sub
Handler:
  tries = tries + 1
  Print tries & ": " & Err.Number & " " & Err.Description & " " & Err.Source
 
 
 
  If tries = 1 Then Resume Next
  If tries = 2 Then Resume back
End Sub
' expect: 5 failed 11
' expect: 50
' expect: 13 Type mismatch
' expect: 0
' expect: 1: -2147221503 my error Main
' expect: resumed
' expect: 2: 7 Out of memory 
' expect: at back
' expect: 3: 12345 Application-defined or object-defined error 
