Static Sub Counter()
End Sub
Sub Main
End Sub
' expect error: line 1: Static belongs inside a Sub or Function; use Dim at module level
